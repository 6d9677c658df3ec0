// The layout of Veldmark's input files and the sentinel values its numeric
// kernels share. (Each estimation method keeps its own limits and
// tolerances in its folder.)
#pragma once

namespace veldmark {

// --- Line layout of the input files ----------------------------------------
inline constexpr int kMetadataLines = 7;       // leading metadata lines of a link file
inline constexpr int kFlowMetadataLines = 5;   // leading metadata lines of a link flow file
inline constexpr int kMetadataLineLimit = 49;  // characters of a metadata line
inline constexpr int kHeaderLineLimit = 199;   // characters of the header line
inline constexpr int kDataLineLimit = 499;     // characters of a link or flow line
inline constexpr int kFlowValueOffset = 3;     // characters skipped before a flow value
inline constexpr int kAttributeCount = 8;      // reals after the two nodes of a link line

// --- Values with a fixed meaning --------------------------------------------
inline constexpr double kUnreachable = 999999999999999.0;  // cost of "no path"; an ordinary number
inline constexpr double kZeroPivotSubstitute = 1e-15;      // divisor used for a zero LU pivot

}  // namespace veldmark
