// GridLibrary: start-up and shut-down of the grid library's module-wide resources.
//
// InitializeGridLibrary runs once when the module loads (before any QGuiApplication
// may exist): it creates the shared style and data-service objects, the sort-number
// font description, the three cursors' images and both image lists as plain image
// data; Qt GUI objects (QFont, QCursor, QPixmap) are made from them on first use.
// A missing cursor image raises EOutOfResources "Cannot load cursor resource".
// FinalizeGridLibrary frees everything; both are idempotent.
#pragma once

namespace qelvor {

// Creates the grid library's shared resources.
void InitializeGridLibrary();
// Frees the grid library's shared resources.
void FinalizeGridLibrary();

}  // namespace qelvor
