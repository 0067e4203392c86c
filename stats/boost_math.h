// Boost.Math, configured for this program: no distribution function throws
// (an argument outside its domain gives a NaN, which the reports print as
// "#n/a"), and doubles are computed in double precision, not promoted to
// long double, so that every front end (x86-64, 32-bit Windows, WebAssembly)
// computes the same way. Include this header, never Boost.Math directly.
#pragma once

#define BOOST_MATH_DOMAIN_ERROR_POLICY ignore_error
#define BOOST_MATH_POLE_ERROR_POLICY ignore_error
#define BOOST_MATH_OVERFLOW_ERROR_POLICY ignore_error
#define BOOST_MATH_UNDERFLOW_ERROR_POLICY ignore_error
#define BOOST_MATH_DENORM_ERROR_POLICY ignore_error
#define BOOST_MATH_EVALUATION_ERROR_POLICY ignore_error
#define BOOST_MATH_ROUNDING_ERROR_POLICY ignore_error
#define BOOST_MATH_INDETERMINATE_RESULT_ERROR_POLICY ignore_error
#define BOOST_MATH_PROMOTE_DOUBLE_POLICY false
// The 32-bit Windows compiler's threads have no thread_local, which makes
// Boost.Math announce at every include that it counts the compiler as an
// older one; the distributions used here need no thread-local storage.
#define BOOST_MATH_DISABLE_DEPRECATED_03_WARNING

#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/non_central_t.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>
