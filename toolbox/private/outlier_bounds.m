function [TF, L, U, C, below] = outlier_bounds(A, windows, threshold, caller)
%OUTLIER_BOUNDS The moving-median outliers of A: C each window's median, L and U the bounds
%   C -/+ THRESHOLD*S (S the scaled MAD, see OUTLIER_STATISTICS) and TF true where A lies below L
%   or above U (BELOW where it lies below L). NaN are left out of the statistics and are never
%   outliers.
[C, scale, samples] = outlier_statistics(A, windows, caller);
spread = threshold * scale;
L = C - spread;
U = C + spread;
below = samples < L;
TF = below | samples > U;
end
