// The typical call over the core alone: x = 3 1 2 5 4, zero extensions, half-width 1.
#include <cstdio>

#include "core/running_median.h"

int main() {
  const double x[] = {3, 1, 2, 5, 4};
  const double xic[] = {0};
  const double xfc[] = {0};
  double m[5];
  running_median(x, m, xic, xfc, 5, 3, 1);
  std::printf("m =");
  for (double v : m) std::printf(" %g", v);
  std::printf("\n");
  return 0;
}
