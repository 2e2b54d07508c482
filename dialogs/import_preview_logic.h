// What the import preview lists: its columns and the cells of each entry of the file.
// Free of window code.
#pragma once

#include <string>

#include "store/button_transfer.h"

namespace quorlin {

// Columns of the list, left to right: title, kind, path, parameters, why it is refused.
constexpr int kPreviewColumns = 5;
constexpr int kPreviewRefusalColumn = 4;

// A column's heading.
std::wstring PreviewColumnName(int column);

// The text of one cell: the file's own values as plain text (no control or
// direction-changing character), the kind by its name; empty for a column out of range.
std::wstring PreviewCell(const ImportEntry& entry, int column);

}  // namespace quorlin
