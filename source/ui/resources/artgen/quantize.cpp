// Median cut over the picture's colours, then serpentine error diffusion, so
// the skin's gradients survive the trip to 256 colours without visible bands.
#include <QHash>
#include <QList>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "artgen.h"

namespace {

struct ColourCount {
  std::array<int, 3> rgb;
  int count;
};

struct Box {
  std::vector<ColourCount> colours;
  int population = 0;
  int longest_axis = 0;
  int range = 0;

  void Measure() {
    population = 0;
    std::array<int, 3> lo = {255, 255, 255}, hi = {0, 0, 0};
    for (const ColourCount& c : colours) {
      population += c.count;
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], c.rgb[k]);
        hi[k] = std::max(hi[k], c.rgb[k]);
      }
    }
    range = -1;
    for (int k = 0; k < 3; ++k) {
      if (hi[k] - lo[k] > range) {
        range = hi[k] - lo[k];
        longest_axis = k;
      }
    }
  }

  QRgb Mean() const {
    double sum[3] = {0, 0, 0};
    for (const ColourCount& c : colours) {
      for (int k = 0; k < 3; ++k) sum[k] += double(c.rgb[k]) * c.count;
    }
    return qRgb(int(std::lround(sum[0] / population)), int(std::lround(sum[1] / population)),
                int(std::lround(sum[2] / population)));
  }
};

std::vector<QRgb> MedianCut(const QHash<QRgb, int>& histogram, int colours) {
  // QHash iterates in a per-process order; sort so that the same picture
  // always gives the same palette and the committed files stay put.
  std::vector<std::pair<QRgb, int>> sorted;
  for (auto it = histogram.begin(); it != histogram.end(); ++it) sorted.emplace_back(it.key(), it.value());
  std::sort(sorted.begin(), sorted.end());
  std::vector<QRgb> palette;
  if (int(sorted.size()) <= colours) {
    for (const auto& [colour, count] : sorted) palette.push_back(colour);
    return palette;
  }
  std::vector<Box> boxes(1);
  for (const auto& [colour, count] : sorted) {
    boxes[0].colours.push_back({{qRed(colour), qGreen(colour), qBlue(colour)}, count});
  }
  boxes[0].Measure();
  while (int(boxes.size()) < colours) {
    // Split where a wide range meets many pixels: the eye sees banding there first.
    int best = -1;
    double best_score = 0;
    for (int i = 0; i < int(boxes.size()); ++i) {
      if (boxes[i].colours.size() < 2 || boxes[i].range == 0) continue;
      const double score = double(boxes[i].range) * std::sqrt(double(boxes[i].population));
      if (score > best_score) {
        best_score = score;
        best = i;
      }
    }
    if (best < 0) break;
    Box& box = boxes[best];
    const int axis = box.longest_axis;
    std::stable_sort(box.colours.begin(), box.colours.end(),
              [axis](const ColourCount& a, const ColourCount& b) { return a.rgb[axis] < b.rgb[axis]; });
    int half = 0;
    std::size_t cut = 0;
    while (cut + 1 < box.colours.size() && half + box.colours[cut].count <= box.population / 2) {
      half += box.colours[cut].count;
      ++cut;
    }
    if (cut == 0) cut = 1;
    Box upper;
    upper.colours.assign(box.colours.begin() + long(cut), box.colours.end());
    box.colours.resize(cut);
    box.Measure();
    upper.Measure();
    boxes.push_back(std::move(upper));
  }
  for (const Box& box : boxes) palette.push_back(box.Mean());
  return palette;
}

}  // namespace

QImage QuantizeWithKey(const QImage& picture, const QImage& inside, QRgb key, int colours) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  const int w = rgb.width(), h = rgb.height();
  QHash<QRgb, int> histogram;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (qRed(inside.pixel(x, y)) >= 128) ++histogram[rgb.pixel(x, y) | 0xFF000000u];
    }
  }
  std::vector<QRgb> palette = MedianCut(histogram, colours);
  for (QRgb& entry : palette) {
    // The key colour may appear only outside the body.
    if ((entry & 0xFFFFFFu) == (key & 0xFFFFFFu)) entry = qRgb(qRed(key) - 1, qGreen(key), qBlue(key));
  }

  QList<QRgb> table;
  table.push_back(key | 0xFF000000u);
  for (QRgb entry : palette) table.push_back(entry | 0xFF000000u);

  QImage out(w, h, QImage::Format_Indexed8);
  out.setColorTable(table);
  out.fill(0);

  QHash<QRgb, uchar> nearest_cache;
  auto nearest = [&](int r, int g, int b) -> uchar {
    const QRgb probe = qRgb(r, g, b);
    auto found = nearest_cache.constFind(probe);
    if (found != nearest_cache.constEnd()) return found.value();
    int best = 1;
    long best_distance = -1;
    for (int i = 1; i < int(table.size()); ++i) {
      const long dr = qRed(table[i]) - r, dg = qGreen(table[i]) - g, db = qBlue(table[i]) - b;
      // Weighted towards green, as the eye is.
      const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
      if (best_distance < 0 || d < best_distance) {
        best_distance = d;
        best = i;
      }
    }
    nearest_cache.insert(probe, uchar(best));
    return uchar(best);
  };

  std::vector<std::array<float, 3>> error_now(std::size_t(w) + 2), error_next(std::size_t(w) + 2);
  for (int y = 0; y < h; ++y) {
    std::fill(error_next.begin(), error_next.end(), std::array<float, 3>{0, 0, 0});
    const bool forward = (y % 2) == 0;
    for (int step = 0; step < w; ++step) {
      const int x = forward ? step : w - 1 - step;
      if (qRed(inside.pixel(x, y)) < 128) continue;
      const QRgb source = rgb.pixel(x, y);
      float want[3] = {qRed(source) + error_now[x + 1][0], qGreen(source) + error_now[x + 1][1],
                       qBlue(source) + error_now[x + 1][2]};
      int clamped[3];
      for (int k = 0; k < 3; ++k) clamped[k] = std::clamp(int(std::lround(want[k])), 0, 255);
      const uchar index = nearest(clamped[0], clamped[1], clamped[2]);
      out.setPixel(x, y, index);
      const QRgb got = table[index];
      const float err[3] = {want[0] - qRed(got), want[1] - qGreen(got), want[2] - qBlue(got)};
      const int ahead = forward ? 1 : -1;
      for (int k = 0; k < 3; ++k) {
        // Damped a little: full diffusion speckles the flat areas next to edges.
        const float e = err[k] * 0.85f;
        error_now[x + 1 + ahead][k] += e * 7 / 16;
        error_next[x + 1 - ahead][k] += e * 3 / 16;
        error_next[x + 1][k] += e * 5 / 16;
        error_next[x + 1 + ahead][k] += e * 1 / 16;
      }
    }
    std::swap(error_now, error_next);
  }
  return out;
}
