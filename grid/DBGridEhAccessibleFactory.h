// DBGridEhAccessibleFactory: the factory that makes a data grid's accessible table.
// It knows the data grid, so it stands above it; it hands itself to the registration in
// GridAccessibility.h when its code is linked in, and again when the grid library
// starts, so that every data grid, however its program starts, gets its table.
#pragma once

namespace qelvor {

// Hands the factory to the registration (idempotent).
void RegisterDataGridAccessibleFactory();

}  // namespace qelvor
