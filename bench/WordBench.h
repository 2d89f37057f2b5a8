#pragma once
class BenchTable;

// Filling the largest Word document (the applied-technology form "(正文)":
// every bookmark, 45 persons, a long memo) from its built template, beside
// libzip reading and writing the same template unchanged.
namespace WordBench {
void addRow(BenchTable &table);
}
