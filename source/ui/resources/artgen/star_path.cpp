#include <cmath>

#include "artgen.h"

QPainterPath StarPath(QPointF centre, double outer, double inner) {
  QPainterPath star;
  for (int i = 0; i < 10; ++i) {
    const double angle = -M_PI / 2 + i * M_PI / 5;
    const double r = (i % 2) == 0 ? outer : inner;
    const QPointF p(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
    if (i == 0) star.moveTo(p);
    else star.lineTo(p);
  }
  star.closeSubpath();
  return star;
}
