// The string table as data: identity strings 0 to 3 and the window's texts in
// three languages (id, id + 2000, id + 3000). Messages that carry %s are
// formats; their callers fill in a path.
#pragma once

#include <string_view>

struct ResourceStringEntry {
  int id;
  std::string_view text;
};

inline constexpr ResourceStringEntry kResourceStrings[] = {
    {0, "KORVEL TWAIN Working Group"},
    {1, "TWAIN"},
    {2, "KiddoSnap - Transfer Photos to PC"},
    {3, "Version 1.603 11/11/2000"},

    {110, "Download photos"},
    {111, "Photo"},
    {112, "Previous page"},
    {113, "Next page"},
    {114, "Transfer photos"},
    {115, "Close"},
    {116, "Select all photos"},
    {117, "Edit image"},
    {118, "Save photos"},
    {119, "Please wait..."},
    {120, "%s file duplicates,\n\n do you want to replace it?\n"},
    {121, "Files are saved completely."},
    {122, "Digital Camera not found!"},
    {123, "No photo in Digital Camera!"},
    // A save that could not write a file names the first one and says so,
    // instead of reporting the batch as saved.
    {124, "%s could not be saved.\n\nPlease check the disk and the folder, then try again.\n"},

    {2110, "下載相片"},
    {2111, "相片"},
    {2112, "上一頁"},
    {2113, "下一頁"},
    {2114, "傳送相片"},
    {2115, "關閉"},
    {2116, "選擇所有相片"},
    {2117, "影像調整"},
    {2118, "儲存相片"},
    {2119, "請稍待..."},
    {2120, "%s 檔案名稱重複,\n\n您是否要取代它?\n"},
    {2121, "檔案儲存完畢"},
    {2122, "找不到數位相機!"},
    {2123, "數位相機內沒有照片!"},
    {2124, "%s 檔案無法儲存,\n\n請檢查磁碟與資料夾後再試一次。\n"},

    {3110, "下载照片"},
    {3111, "照片"},
    {3112, "上一页"},
    {3113, "下一页"},
    {3114, "传送照片"},
    {3115, "关闭"},
    {3116, "选择所有照片"},
    {3117, "影像调整"},
    {3118, "储存照片"},
    {3119, "请稍待..."},
    {3120, "%s 档案名称重复,\n\n您是否要取代它?\n"},
    {3121, "档案储存完毕"},
    {3122, "找不到数码相机!"},
    {3123, "数码相机内没有相片!"},
    {3124, "%s 档案无法储存,\n\n请检查磁盘与文件夹后再试一次。\n"},
};
