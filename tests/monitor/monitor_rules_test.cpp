// The monitor's rules, without processes or devices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/command_line.h"
#include "monitor/monitor_arguments.h"
#include "monitor/monitor_config.h"
#include "monitor/presence.h"
#include "monitor/profile_reader.h"

namespace {

constexpr char kDefaultExec[] = "\"C:\\Program Files\\KX3300A\\snapgrab.exe\" KX3300";

struct ProfileCase {
  const char* name;
  const char* text;
  std::optional<std::string> item0;  // nullopt: no such key
};

void PrintTo(const ProfileCase& c, std::ostream* out) { *out << c.name; }

class ProfileLookup : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileLookup, FindsItem0InSectionUsb) {
  EXPECT_EQ(FindProfileString(GetParam().text, "usb", "Item0"), GetParam().item0);
}

INSTANTIATE_TEST_SUITE_P(
    Profile, ProfileLookup,
    ::testing::Values(
        ProfileCase{"Plain", "[usb]\nItem0=KX3300A\n", "KX3300A"},
        ProfileCase{"CrLfAndBlanks", "\r\n  [ usb ]  \r\n\t Item0 \t=  KX 3300  \r\n", "KX 3300"},
        ProfileCase{"NamesIgnoreCase", "[USB]\nITEM0=a\n", "a"},
        ProfileCase{"ByteOrderMark", "\xEF\xBB\xBF[usb]\nItem0=a\n", "a"},
        ProfileCase{"NoNewlineAtEnd", "[usb]\nItem0=a", "a"},
        ProfileCase{"EmptyValue", "[usb]\nItem0=\n", ""},
        ProfileCase{"FirstKeyWins", "[usb]\nItem0=a\nItem0=b\n", "a"},
        ProfileCase{"OnlyFirstSection", "[usb]\nExec=x\n[usb]\nItem0=b\n", std::nullopt},
        ProfileCase{"OtherSection", "[other]\nItem0=a\n[usb]\nExec=x\n", std::nullopt},
        ProfileCase{"KeyBeforeAnySection", "Item0=a\n[usb]\n", std::nullopt},
        ProfileCase{"CommentedOut", "[usb]\n;Item0=a\n", std::nullopt},
        ProfileCase{"LineWithoutEquals", "[usb]\nItem0\n", std::nullopt},
        ProfileCase{"PrefixOfKeyName", "[usb]\nItem=a\nItem00=b\n", std::nullopt},
        ProfileCase{"UnclosedSectionHeader", "[usb\nItem0=a\n", "a"},
        ProfileCase{"EqualsInValue", "[usb]\nItem0=a=b\n", "a=b"},
        ProfileCase{"DoubleQuotesStripped", "[usb]\nItem0=\" KX \"\n", " KX "},
        ProfileCase{"SingleQuotesStripped", "[usb]\nItem0='KX'\n", "KX"},
        ProfileCase{"UnmatchedQuotesKept", "[usb]\nItem0=\"KX'\n", "\"KX'"},
        ProfileCase{"LoneQuoteKept", "[usb]\nItem0=\"\n", "\""},
        ProfileCase{"TwoQuotedGroupsKept", "[usb]\nItem0=\"a b\" \"c\"\n", "\"a b\" \"c\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Profile, NulInsideTextIsNotTheEnd) {
  std::string text("[usb]\nItem0=ab\0cd\nExec=x\n", 25);
  EXPECT_EQ(FindProfileString(text, "usb", "Item0"), "ab");
  EXPECT_EQ(FindProfileString(text, "usb", "Exec"), "x");
}

TEST(Profile, CutsToBufferInCharacters) {
  std::string long_value(300, 'x');
  EXPECT_EQ(ReadProfileString("[usb]\nItem0=" + long_value, "usb", "Item0", "d", 64), std::string(63, 'x'));
  EXPECT_EQ(ReadProfileString(std::nullopt, "usb", "Item0", long_value, 260), std::string(259, 'x'));
  EXPECT_EQ(ReadProfileString("[usb]\nItem0=abc", "usb", "Item0", "d", 4), "abc");
  EXPECT_EQ(ReadProfileString("[usb]\nItem0=abc", "usb", "Item0", "d", 1), "");
  EXPECT_EQ(ReadProfileString("[usb]\nItem0=abc", "usb", "Item0", "d", 0), "");
  EXPECT_EQ(ReadProfileString("[usb]\n", "usb", "Item0", "default", 64), "default");

  // 70 two-byte characters: 63 of them fit, 126 bytes.
  std::string wide;
  for (int i = 0; i < 70; ++i) wide += "\xC3\xA9";
  std::string cut = ReadProfileString("[usb]\nItem0=" + wide, "usb", "Item0", "d", 64);
  EXPECT_EQ(cut.size(), 126u);
  EXPECT_EQ(cut, wide.substr(0, 126));
}

TEST(Profile, CountsCharactersWithoutSplittingThem) {
  EXPECT_EQ(CutToCharacters("a\xE2\x82\xAC" "b", 2), "a\xE2\x82\xAC");
  EXPECT_EQ(CutToCharacters("a\xE2\x82\xAC" "b", 1), "a");
  EXPECT_EQ(CutToCharacters("\xF0\x9F\x98\x80z", 1), "\xF0\x9F\x98\x80");
  // Broken sequences: every stray byte is a character of its own.
  EXPECT_EQ(CutToCharacters("\x80\x80x", 2), "\x80\x80");
  EXPECT_EQ(CutToCharacters("\xE2\x82x", 1), "\xE2\x82");
  EXPECT_EQ(CutToCharacters("\xE2\x82", 5), "\xE2\x82");
  EXPECT_EQ(CutToCharacters("", 5), "");
}

TEST(MonitorConfig, DefaultsForWhatTheFileLacks) {
  MonitorConfig none = ParseMonitorConfig(std::nullopt);
  EXPECT_EQ(none.item0, "KX3300A");
  EXPECT_EQ(none.exec, kDefaultExec);

  MonitorConfig empty_section = ParseMonitorConfig("[usb]\n");
  EXPECT_EQ(empty_section.item0, "KX3300A");
  EXPECT_EQ(empty_section.exec, kDefaultExec);

  MonitorConfig only_exec = ParseMonitorConfig("[usb]\nExec=/usr/bin/snapgrab KX3300\n");
  EXPECT_EQ(only_exec.item0, "KX3300A");
  EXPECT_EQ(only_exec.exec, "/usr/bin/snapgrab KX3300");

  MonitorConfig empty_item = ParseMonitorConfig("[usb]\nItem0=\n");
  EXPECT_EQ(empty_item.item0, "");

  MonitorConfig long_values = ParseMonitorConfig("[usb]\nItem0=" + std::string(64, 'i') + "\nExec=" +
                                                 std::string(260, 'e') + "\n");
  EXPECT_EQ(long_values.item0, std::string(63, 'i'));
  EXPECT_EQ(long_values.exec, std::string(259, 'e'));
}

TEST(MonitorConfig, PathBesideTheProgram) {
  struct {
    const char* program;
    const char* config;
  } cases[] = {
      {"/usr/local/bin/plugwatch", "/usr/local/bin/plugwatch.ini"},
      {"/opt/kx/plugwatch.exe", "/opt/kx/plugwatch.ini"},
      {"/opt/kx/plug.watch.bin", "/opt/kx/plug.watch.ini"},
      {"/opt/kx/plugwatch.", "/opt/kx/plugwatch.ini"},
      {"/opt/kx.d/plugwatch", "/opt/kx.d/plugwatch.ini"},
      {"/opt/kx/.plugwatch", "/opt/kx/.plugwatch.ini"},
      {"plugwatch", "plugwatch.ini"},
      {"plugwatch.exe", "plugwatch.ini"},
  };
  for (const auto& c : cases) EXPECT_EQ(ConfigPathFor(c.program), c.config) << c.program;
}

TEST(CommandLine, SplitsLikeAShell) {
  using Words = std::vector<std::string>;
  struct {
    const char* line;
    Words words;
  } cases[] = {
      {kDefaultExec, {"C:\\Program Files\\KX3300A\\snapgrab.exe", "KX3300"}},
      {"/usr/bin/snapgrab KX3300", {"/usr/bin/snapgrab", "KX3300"}},
      {"  a \t b\r\n", {"a", "b"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"\" x \"\"", {"", "x", ""}},
      {"run \"unclosed quote  ", {"run", "unclosed quote  "}},
      {"it's \\\"odd", {"it's", "\\odd"}},
      {"", {}},
      {"   ", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

TEST(Arguments, ExitIsTheWholeArgumentInAnyCase) {
  using Args = std::vector<std::string_view>;
  for (Args args : {Args{"exit"}, Args{"EXIT"}, Args{"Exit"}, Args{"eXiT"}}) {
    EXPECT_TRUE(ParseMonitorArguments(args).exit) << args[0];
  }
  for (Args args : {Args{}, Args{"exit "}, Args{"exits"}, Args{"ex"}, Args{"-exit"}, Args{"exit", "now"},
                    Args{"now", "exit"}, Args{"\xC3\x89XIT"}}) {
    EXPECT_FALSE(ParseMonitorArguments(args).exit);
  }
}

TEST(Arguments, HiddenTestOptions) {
  MonitorArguments plain = ParseMonitorArguments({});
  EXPECT_EQ(plain.check_interval_ms, 2000);
  EXPECT_EQ(plain.check_log, "");

  MonitorArguments set = ParseMonitorArguments({"--check-interval-ms=25", "--check-log=/tmp/x"});
  EXPECT_FALSE(set.exit);
  EXPECT_EQ(set.check_interval_ms, 25);
  EXPECT_EQ(set.check_log, "/tmp/x");

  for (std::string_view bad : {"--check-interval-ms=0", "--check-interval-ms=-5", "--check-interval-ms=",
                               "--check-interval-ms=12x", "--check-interval-ms=3600001",
                               "--check-interval-ms=99999999999999"}) {
    EXPECT_EQ(ParseMonitorArguments({bad}).check_interval_ms, 2000) << bad;
  }
}

TEST(Presence, StartsOncePerArrival) {
  PresenceState state;
  const struct {
    bool found;
    uint16_t command;
  } steps[] = {
      {false, 0}, {true, MONCMD_DEVICE_ARRIVED}, {true, 0}, {true, 0}, {false, MONCMD_DEVICE_REMOVED},
      {false, 0}, {true, MONCMD_DEVICE_ARRIVED}, {false, MONCMD_DEVICE_REMOVED},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(UpdatePresence(state, step.found), step.command);
    EXPECT_EQ(state.present, step.found);
  }
}

TEST(Presence, DescriptionPrefixMatch) {
  EXPECT_TRUE(DescriptionMatches("KX3300A USB Camera", "KX3300A"));
  EXPECT_TRUE(DescriptionMatches("KX3300A", "KX3300A"));
  EXPECT_FALSE(DescriptionMatches("kx3300a usb camera", "KX3300A"));
  EXPECT_FALSE(DescriptionMatches("KX3300", "KX3300A"));
  EXPECT_FALSE(DescriptionMatches(" KX3300A", "KX3300A"));
  EXPECT_TRUE(DescriptionMatches("Any mouse", ""));
  EXPECT_TRUE(DescriptionMatches("", ""));
  EXPECT_FALSE(DescriptionMatches(std::nullopt, ""));
  EXPECT_FALSE(DescriptionMatches(std::nullopt, "KX3300A"));
}

}  // namespace
