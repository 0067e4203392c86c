// What each row label of a result means, in a sentence, shown on hover and
// on focus beside the readable table; keyed by the label exactly as the
// result writes it; also Show Ranks's headings and the rows of More
// statistics.

export const LABEL_NOTES = {
  // Descriptive
  Min: "The smallest value of the column.",
  Max: "The largest value of the column.",
  "95%CI ll=Mean-t*SEM": "Lower limit of the 95% confidence interval of the mean: mean minus t times SEM.",
  "Mean-SEM": "The mean minus one standard error of the mean.",
  Mean: 'The arithmetic mean; "<" and ">" cells count at their estimated values.',
  "Mean+SEM": "The mean plus one standard error of the mean.",
  "95%CI ul=Mean+t*SEM": "Upper limit of the 95% confidence interval of the mean: mean plus t times SEM.",
  "95%CI ll(log)=Mean/(GSEM^t)": "Lower limit of the 95% confidence interval of the geometric mean: mean divided by GSEM to the power t.",
  "Mean/GSEM": "The geometric mean divided by its geometric standard error.",
  "Mean (log)": "The geometric mean: the mean of the logarithms, given back on the values' scale.",
  "Mean*GSEM": "The geometric mean times its geometric standard error.",
  "95%CI ul(log)=Mean*(GSEM^t)": "Upper limit of the 95% confidence interval of the geometric mean: mean times GSEM to the power t.",
  "10 Centile": "The value below which 10% of the values lie.",
  "25 Centile": "The first quartile: 25% of the values lie below it.",
  "33 Centile": "The value below which a third of the values lie.",
  "Median-SE of median": "The median minus its standard error.",
  Median: "The middle value: half of the values lie below it.",
  "Median+SE of median": "The median plus its standard error.",
  "67 Centile": "The value below which two thirds of the values lie.",
  "75 Centile": "The third quartile: 75% of the values lie below it.",
  "90 Centile": "The value below which 90% of the values lie.",
  SEM: "Standard error of the mean: SD divided by the square root of N.",
  SD: "Standard deviation: the typical distance of a value from the mean.",
  GSEM: "Geometric standard error of the mean, a factor: the SEM of the logarithms, given back as a ratio.",
  GSD: "Geometric standard deviation, a factor: the SD of the logarithms, given back as a ratio.",
  Big: 'The value that stands for each ">" cell, estimated from the normal distribution fitted to the column.',
  Small: 'The value that stands for each "<" cell, estimated from the normal distribution fitted to the column.',
  "Big (log)": 'The value that stands for each ">" cell, estimated from the log-normal distribution fitted to the column.',
  "Small (log)": 'The value that stands for each "<" cell, estimated from the log-normal distribution fitted to the column.',
  "33-0": "The cells in the lower third of a normal distribution with this mean and SD.",
  "66-33": "The cells in the middle third of a normal distribution with this mean and SD.",
  "100-67": "The cells in the upper third of a normal distribution with this mean and SD.",
  "33-0 (log)": "The cells in the lower third of a log-normal distribution with this geometric mean and GSD.",
  "66-33 (log)": "The cells in the middle third of a log-normal distribution with this geometric mean and GSD.",
  "100-67 (log)": "The cells in the upper third of a log-normal distribution with this geometric mean and GSD.",
  "% Deviation from normal": "How far the values are from a normal distribution: 100 (1 - r²), r their correlation with their normal scores; 0 is a perfect fit.",
  "% Deviation from normal (log)": "How far the logarithms of the values are from a normal distribution: 100 (1 - r²); 0 is a perfect fit.",
  "N big": 'The number of ">" cells (values above a measuring limit).',
  "N small": 'The number of "<" cells (values below a measuring limit).',
  "N real": "The number of cells holding a number.",
  "N total": 'The number of cells with a value: numbers, "<" and ">" cells.',
  "N small (log)": 'The "<" cells on the log scale: "<" cells and numbers that are not above zero.',
  "N real (log)": "The numbers above zero, which have a logarithm.",

  // Paired tests
  "mean difference": "The mean of the row-by-row differences of this column from column 1.",
  "mean ratio": "The geometric mean of the row-by-row ratios of this column to column 1.",
  "95% CI lower limit": "Lower limit of the 95% confidence interval of the difference (of the ratio, with Log-transformation).",
  "95% CI upper limit": "Upper limit of the 95% confidence interval of the difference (of the ratio, with Log-transformation).",
  "p (T-test)": "The probability of a difference at least this large by chance alone (t-test, two-sided).",
  "p (Wilcoxon)": 'The probability of the signed ranks by chance alone (Wilcoxon test, two-sided); "< 0.010" and the like are read from its table.',
  "N (T-test)": "The number of rows (pairs, groups' values) the t-test used.",
  "SE of difference": "The standard error of the mean difference.",
  "GSE for ratio": "The geometric standard error of the mean ratio, a factor.",
  "t value": "The t statistic: the difference divided by its standard error.",
  "N (Wilcoxon)": "The number of pairs with a difference other than zero, which the Wilcoxon test ranks.",
  "Wilcoxon T": "The Wilcoxon statistic: the smaller sum of ranks of the positive and of the negative differences.",

  // Nonpaired tests
  mean0: "The mean of the values in the first group (the first group code).",
  mean1: "The mean of the values in the second group.",
  "geometric mean0": "The geometric mean of the values in the first group.",
  "geometric mean1": "The geometric mean of the values in the second group.",
  "difference between mean values": "The mean of the second group minus that of the first.",
  "ratio of mean values": "The geometric mean of the second group divided by that of the first.",
  N0: "The number of values in the first group.",
  N1: "The number of values in the second group.",
  median0: "The median of the first group.",
  median1: "The median of the second group.",
  "difference between medians": "The median of the second group minus that of the first.",
  "p (Mann-Whitney)": "The probability of ranks this far apart by chance alone (Mann-Whitney test, two-sided).",
  SD0: "The standard deviation in the first group.",
  SD1: "The standard deviation in the second group.",
  "pooled SD": "The standard deviation of both groups taken together around their own means.",
  "Standar error of difference": "The standard error of the difference between the means.",
  "MW U value": "The Mann-Whitney statistic U.",
  "MW R0": "The sum of the ranks of the first group, both groups ranked together.",
  "MW R1": "The sum of the ranks of the second group.",
  "MW T": "The correction for tied values in the Mann-Whitney test.",
  "z score (for Mann-Whitney n1>8)": "U on the normal scale; it gives the Mann-Whitney p value once a group has more than 8 values.",

  // Pearson and Spearman
  "Pearson R": "Pearson's correlation coefficient of this column with column 1: -1 to 1, 0 for no straight-line relation.",
  Rho: "Spearman's rank correlation coefficient of this column with column 1: -1 to 1.",
  "95CI low": "Lower limit of the 95% confidence interval of the coefficient.",
  "95CI high": "Upper limit of the 95% confidence interval of the coefficient.",
  "p value": 'The probability of a coefficient this far from 0 by chance alone; "< 0.001" when smaller than that.',
  N: "The number of rows with a value in both columns (pairs).",
  "Ties x": "The correction for tied values in column 1.",
  "Ties y": "The correction for tied values in this column.",

  // Show Ranks's headings
  "Adjusted Rank": "Each value's rank in its column, tied values sharing the mean of their ranks.",
  Percentile: "The value's place in its column, in percent, from its rank.",
  "Rank-based z score": "The normal score of the rank: where the value would lie in a normal distribution.",
  Repeats: "How many cells of the column hold this value (1: no other).",
  "Predicted from rank (lin-normal)": "The value a normal distribution with the column's mean and SD gives at this rank.",
  "Predicted from rank (log-normal)": "The value a log-normal distribution with the column's geometric mean and GSD gives at this rank.",
  "Raw data": "The values as read.",

  // More statistics: every analysis
  "N beyond a limit": 'The "<" and ">" cells that take part: rank statistics rank them below or above every measured value, statistics on values use their estimates.',

  // More statistics: Nonpaired tests (differences are group 1 minus group 0)
  "Welch t": "Welch's t statistic: the difference of the group means over its standard error, without assuming equal variances.",
  "Welch df": "The Welch-Satterthwaite degrees of freedom of Welch's t (not a whole number).",
  "Welch p": "The two-sided p of Welch's t-test, from the t distribution at the Welch degrees of freedom.",
  "Welch 95%CI low": "Lower limit of the 95% confidence interval of the difference of the means by Welch's t (of the ratio of geometric means, with Log-transformation).",
  "Welch 95%CI high": "Upper limit of the 95% confidence interval of the difference of the means by Welch's t (of the ratio of geometric means, with Log-transformation).",
  "Hedges g": "Hedges' g: the difference of the means over the pooled SD, times the small-sample correction J = 1 - 3 / (4 (n0 + n1) - 9).",
  "Hedges g 95%CI low": "Lower limit of the 95% confidence interval of Hedges' g, from the noncentral t distribution.",
  "Hedges g 95%CI high": "Upper limit of the 95% confidence interval of Hedges' g, from the noncentral t distribution.",
  "Mann-Whitney U": "The Mann-Whitney U: the pairs (group-0 value, group-1 value) in which the group-1 value is larger, a tie counting one half.",
  "Mann-Whitney p": "The two-sided p of the Mann-Whitney test: exact from the permutation distribution of the rank sum up to 50 values, else the normal approximation; the next row says which.",
  "Mann-Whitney p method": 'How the Mann-Whitney p was computed: "exact", "exact-ties" (exact, given the tied mid-ranks) or "normal" (tie-corrected, continuity correction 0.5).',
  "Hodges-Lehmann shift": "The Hodges-Lehmann shift: the median of all differences of a group-1 value minus a group-0 value (a ratio, with Log-transformation).",
  "HL 95%CI low": "Lower limit of the 95% confidence interval of the Hodges-Lehmann estimate: exact from the rank test's null distribution when its p is exact without ties, else by the normal approximation.",
  "HL 95%CI high": "Upper limit of the 95% confidence interval of the Hodges-Lehmann estimate: exact from the rank test's null distribution when its p is exact without ties, else by the normal approximation.",
  "Rank-biserial r": "The rank-biserial correlation, 2U / (n0 n1) - 1: from -1 to 1, 0 when neither group tends to be larger.",
  "Rank-biserial 95%CI low": "Lower limit of the 95% confidence interval of the rank-biserial r, through Fisher's z (atanh).",
  "Rank-biserial 95%CI high": "Upper limit of the 95% confidence interval of the rank-biserial r, through Fisher's z (atanh).",

  // More statistics: Paired tests (differences of this column from column 1)
  "Cohen dz": "Cohen's dz: the mean of the differences over their SD (of the log ratios, with Log-transformation).",
  "dz 95%CI low": "Lower limit of the 95% confidence interval of Cohen's dz, from the noncentral t distribution with n - 1 degrees of freedom.",
  "dz 95%CI high": "Upper limit of the 95% confidence interval of Cohen's dz, from the noncentral t distribution with n - 1 degrees of freedom.",
  "Signed-rank V": "The Wilcoxon signed-rank V: zeros dropped, the sum of the mid-ranks of the positive differences.",
  "Signed-rank p": "The two-sided p of the Wilcoxon signed-rank test: exact up to 50 non-zero differences, else the normal approximation; the next row says which.",
  "Signed-rank p method": 'How the signed-rank p was computed: "exact", "exact-ties" (exact, given the tied mid-ranks) or "normal" (tie-corrected, continuity correction 0.5).',
  "Hodges-Lehmann estimate": "The Hodges-Lehmann estimate: the median of the Walsh averages (the means of every two non-zero differences, each one with itself included); a ratio with Log-transformation.",
  "Matched rank-biserial r": "The matched-pairs rank-biserial correlation, (R+ - R-) / (R+ + R-): from -1 to 1.",
  Bias: "Bland-Altman bias: the mean of the differences (the geometric mean of the ratios, with Log-transformation).",
  "SD of differences": "The standard deviation of the differences (of the log ratios, with Log-transformation).",
  "Lower limit of agreement": "Bland-Altman lower limit of agreement: bias - 1.96 SD of the differences (a ratio, with Log-transformation).",
  "Upper limit of agreement": "Bland-Altman upper limit of agreement: bias + 1.96 SD of the differences (a ratio, with Log-transformation).",
  "LoA 95%CI half-width": "Half the width of the 95% confidence interval of each limit of agreement: t(0.975, n - 1) times the square root of 3 SD² / n.",

  // More statistics: Pearson and Spearman (column 1 against this column)
  "Pearson p (t)": "The two-sided p of Pearson's r from the t distribution with n - 2 degrees of freedom, not floored.",
  "Spearman p (t)": "The two-sided p of Spearman's rho from the t distribution with n - 2 degrees of freedom, not floored.",
  "Kendall tau-b": "Kendall's rank correlation tau-b, corrected for ties: from -1 to 1.",
  "Kendall p": "The two-sided p of Kendall's tau-b: exact without ties up to 50 pairs, else the normal approximation; the next row says which.",
  "Kendall p method": 'How the Kendall p was computed: "exact" or "normal" (tie-corrected variance, no continuity correction).',

  // More statistics: Descriptive
  "Shapiro-Wilk W": "The Shapiro-Wilk W statistic of normality (Royston's algorithm, 3 to 5000 values): 1 for a perfect normal fit.",
  "Shapiro-Wilk p": "The p of the Shapiro-Wilk test: a small p says the values are unlikely to come from a normal distribution.",
  "Median 95%CI low": "Lower limit of the distribution-free 95% confidence interval of the median, an order statistic chosen from the binomial distribution.",
  "Median 95%CI high": "Upper limit of the distribution-free 95% confidence interval of the median, an order statistic chosen from the binomial distribution.",
  // Values beyond a limit, with the limit written after "<" or ">" kept.
  "N below a limit": 'Cells written "<" (below a limit of detection).',
  "N above a limit": 'Cells written ">" (above a measuring limit).',
  "Distinct limits": 'Different limits among the "<" and ">" cells that give one ("<5" and ">5" are two).',
  "KM median": 'Median of the Kaplan-Meier estimate of the distribution, which uses each "<" or ">" cell as lying beyond its own limit (Turnbull\'s estimate when both sides occur).',
  "KM 25 centile": "25th centile of the Kaplan-Meier (or Turnbull) estimate of the distribution.",
  "KM 75 centile": "75th centile of the Kaplan-Meier (or Turnbull) estimate of the distribution.",
  "ROS mean": 'Mean of measured values and of "<" cells imputed by robust regression on order statistics (lognormal, Helsel 2012).',
  "ROS SD": "Standard deviation (n - 1) of the measured and the ROS-imputed values.",
  "ROS median": "Median of the measured and the ROS-imputed values.",
  "Gehan z": 'Gehan\'s generalised Wilcoxon statistic: each cell scores the cells known to be smaller minus those known to be larger; "<5" is not known to be smaller than a measured 3.',
  "Gehan p": "The two-sided p of Gehan's test, from the normal distribution with the permutation variance.",
  "KM median difference": "Group 1's Kaplan-Meier (or Turnbull) median minus group 0's.",
  "Pairs with a known sign": "Pairs whose difference is known to be positive or negative, with the limits of \"<\" and \">\" cells taken into account.",
  "Censored sign test p": "The exact two-sided binomial p of the positive differences among the pairs with a known sign.",
  "Censored Kendall tau": "Kendall's tau counting a pair of rows only when both orders are known from the cells and their limits.",
  "Censored Kendall p": "The two-sided p of the censored Kendall tau, from the normal distribution.",
};

// Each p row of More statistics is followed, when more than one column is
// compared, by the same p adjusted across the compared columns by Holm's
// and by Benjamini-Hochberg's method.
const P_ROWS = {
  "Welch p": "Welch's t-test",
  "Mann-Whitney p": "the Mann-Whitney test",
  "Signed-rank p": "the signed-rank test",
  "Pearson p (t)": "Pearson's r",
  "Spearman p (t)": "Spearman's rho",
  "Kendall p": "Kendall's tau-b",
  "Shapiro-Wilk p": "the Shapiro-Wilk test",
  "Gehan p": "Gehan's test",
  "Censored sign test p": "the censored sign test",
  "Censored Kendall p": "the censored Kendall tau",
};
for (const [label, test] of Object.entries(P_ROWS)) {
  LABEL_NOTES[`${label} (Holm)`] =
    `The p of ${test} adjusted across the compared columns by Holm's step-down method, which bounds the chance of any false finding among them.`;
  LABEL_NOTES[`${label} (BH)`] =
    `The p of ${test} adjusted across the compared columns by Benjamini-Hochberg's method, which bounds the expected share of false findings among them.`;
}

// Printed p values that stand for "smaller than": the correlations' and
// the Wilcoxon test's normal p below 0.001, and the t-test's p beyond its
// table's last row (two-sided 0.001), with what the table shows instead.
const FLOORS = {
  "p value": ["0.0010", "< 0.001"],
  "p (Wilcoxon)": ["0.0010", "< 0.001"],
  "p (T-test)": ["0.0002", "< 0.001"],
};

// A result cell as the table shows it: a floored p reads "< 0.001" (with
// the result's decimal separator); any other cell as it is written.
export function shownCell(label, field) {
  const floor = FLOORS[label];
  const text = field.trim();
  if (!floor) return text;
  const comma = text.includes(",");
  if (text.replace(",", ".") !== floor[0]) return text;
  return comma ? floor[1].replace(".", ",") : floor[1];
}
