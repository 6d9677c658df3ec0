// The shared vocabulary of the estimator: node and zone identifiers, link
// records, dense matrices and the error value that every fallible routine
// returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "veldmark/constants.h"

namespace veldmark {

using NodeId = std::int32_t;     // node number as written in a file; compared as an integer
using ZoneIndex = std::int32_t;  // 0-based position of a zone in the ZoneList

// Ordered pair of node identifiers of one link.
struct LinkEndpoints {
  NodeId from = 0;
  NodeId to = 0;
};

// One parsed line of a link file.
struct LinkLine {
  NodeId from = 0;
  NodeId to = 0;
  double attributes[kAttributeCount] = {};  // the eight reals after the nodes; read by no phase
  int lineNumber = 0;                       // 1-based line of the file it came from (for messages)
};

// Per abstract link: what the flow file and the estimation attach to it.
struct AbstractLinkRecord {
  double attributes[kAttributeCount] = {};  // copied from the link line; read by no phase
  double observedFlow = 0.0;         // set by the flow file, floored at kFlowFloor when exactly 0
  double observedSecondValue = 0.0;  // second value of the flow line; read by no phase
};

// Zone indices of one abstract link's two ends (one entry of LinkZones).
struct LinkZoneEnds {
  ZoneIndex from = 0;
  ZoneIndex to = 0;
};

// An origin-destination pair of zones (one entry of the Basis).
struct OdPair {
  ZoneIndex origin = 0;
  ZoneIndex destination = 0;
};

// Square matrix held contiguously row-major, indexed m[row][column] from 0.
// The storage is NOT initialised when allocated: every user writes an entry
// before it reads it. Pages that are never written are never made resident.
template <typename T>
struct SquareMatrix {
  int order = 0;                 // number of rows (= number of columns)
  std::unique_ptr<T[]> entries;  // order * order values, row after row

  T* operator[](int row) { return entries.get() + static_cast<std::size_t>(row) * order; }
  const T* operator[](int row) const {
    return entries.get() + static_cast<std::size_t>(row) * order;
  }
};

using DenseMatrix = SquareMatrix<double>;  // matrices of doubles (TripTable, BasisMatrix, ...)
using ZoneIndexMatrix = SquareMatrix<ZoneIndex>;  // the PathPredecessorMatrix

// Allocates order x order uninitialised entries. Returns false, leaving the
// matrix empty, when the storage cannot be had. Never throws.
template <typename T>
bool allocateSquareMatrix(SquareMatrix<T>& matrix, int order) {
  const std::size_t count = static_cast<std::size_t>(order) * static_cast<std::size_t>(order);
  matrix.entries.reset(new (std::nothrow) T[count == 0 ? 1 : count]);
  matrix.order = matrix.entries ? order : 0;
  return static_cast<bool>(matrix.entries);
}

// The result of a routine that can fail. An empty message means success; a
// message reads "file:line: what is wrong" (or "file: ..." without a line)
// and is printed by the driver alone, after "veldmark: ".
struct Status {
  std::string message;
  bool ok() const { return message.empty(); }
};

}  // namespace veldmark
