# The work of each Morvenda analysis done with R's own functions on the same
# table, for bench/compare_r.py: in process, each analysis timed as the
# median of repeated runs, and once per call for timing R as a whole process.
#
#   Rscript bench/compare_r.R TABLE GROUPED_TABLE REPETITIONS   # in process, all analyses
#   Rscript bench/compare_r.R TABLE GROUPED_TABLE 0 ANALYSIS    # one analysis, once, result to stdout
#
# TABLE is tab-separated with a header line, missing cells (and the cells
# beyond a measuring limit, which R has no notion of) as NA; the grouped
# table has the group codes in its first column.
args <- commandArgs(trailingOnly = TRUE)
x <- as.matrix(read.delim(args[1], na.strings = "NA"))
g <- as.matrix(read.delim(args[2], na.strings = "NA"))
repetitions <- as.integer(args[3])

descriptive <- function() {
  apply(x, 2, function(v) {
    v <- v[!is.na(v)]
    n <- length(v)
    s <- sd(v)
    sem <- s / sqrt(n)
    t <- qt(0.975, n - 1)
    p <- v[v > 0]
    lm <- mean(log(p))
    lsem <- sd(log(p)) / sqrt(length(p))
    z <- qnorm(ppoints(n))
    c(min(v), max(v), mean(v), mean(v) - t * sem, mean(v) + t * sem, exp(lm), exp(lm - t * lsem),
      exp(lm + t * lsem), quantile(v, c(0.1, 0.25, 0.333, 0.5, 0.667, 0.75, 0.9)), s, n,
      100 * (1 - cor(sort(v), z)^2))
  })
}

paired <- function() {
  lapply(2:ncol(x), function(k) {
    ok <- !is.na(x[, 1]) & !is.na(x[, k])
    a <- x[ok, k]
    b <- x[ok, 1]
    list(t.test(a, b, paired = TRUE), suppressWarnings(wilcox.test(a, b, paired = TRUE, exact = FALSE)))
  })
}

nonpaired <- function() {
  lapply(2:ncol(g), function(k) {
    ok <- !is.na(g[, 1]) & !is.na(g[, k])
    y <- g[ok, k]
    f <- g[ok, 1]
    list(t.test(y ~ f, var.equal = TRUE), suppressWarnings(wilcox.test(y ~ f, exact = FALSE)),
         tapply(y, f, median))
  })
}

correlation <- function(method) {
  r <- cor(x, method = method, use = "pairwise.complete.obs")
  n <- crossprod(!is.na(x))
  tests <- lapply(2:ncol(x), function(k)
    suppressWarnings(cor.test(x[, 1], x[, k], method = method, exact = FALSE)))
  list(r, n, tests)
}

# Morvenda ranks every column at start-up and lists the first five: ranks,
# tie counts, plotting positions, normal scores and the values predicted
# from them, for every column here.
ranks <- function() {
  apply(x, 2, function(v) {
    r <- rank(v, na.last = "keep")
    ties <- ave(v, v, FUN = length)
    n <- sum(!is.na(v))
    p <- (r - 0.375) / (n + 0.25)
    z <- qnorm(p)
    cbind(r, ties, 100 * p, z, mean(v, na.rm = TRUE) + z * sd(v, na.rm = TRUE),
          exp(mean(log(v[v > 0]), na.rm = TRUE) + z * sd(log(v[v > 0]), na.rm = TRUE)))
  })
}

analyses <- list(descriptive = descriptive, paired = paired, nonpaired = nonpaired,
                 pearson = function() correlation("pearson"), spearman = function() correlation("spearman"),
                 ranks = ranks)

if (repetitions == 0) {
  result <- analyses[[args[4]]]()
  invisible(capture.output(print(result)))
} else {
  for (name in names(analyses)) {
    f <- analyses[[name]]
    f()  # once before timing
    times <- vapply(seq_len(repetitions), function(i) {
      start <- Sys.time()
      f()
      as.numeric(Sys.time() - start, units = "secs")
    }, 0)
    cat(name, 1000 * median(times), 1000 * (quantile(times, 0.75) - quantile(times, 0.25)), "\n")
  }
}
