// The kernels the pivot loop runs on. The straightforward ones are always
// built and stay the reference; the build option VELDMARK_REFERENCE_KERNELS
// makes the program run on them instead of the faster paths.
#pragma once

#include "estimation/inverse_check.h"
#include "estimation/link_prices.h"
#include "estimation/path_columns.h"
#include "estimation/pivot_step.h"
#include "numeric/lu_determinant.h"
#include "numeric/matrix_inverse.h"
#include "numeric/shortest_paths.h"

namespace veldmark::kernels {

using veldmark::allPairsShortestPaths;
using veldmark::computeLinkPrices;
using veldmark::formInverseCheck;
using veldmark::invertMatrix;
using veldmark::luDeterminant;
using veldmark::priceColumns;
using veldmark::ratioTest;
using veldmark::traceColumn;
using veldmark::updateBasicValues;

}  // namespace veldmark::kernels
