// GridSets: the grid's option sets and enumerations, as TSet values
// (`grid.SetOptionsEh({dghFixed3D, dghHighlightFocus})`, `Options().Contains(dgTitles)`).
#pragma once

#include <cstdint>

#include "runtime/Set.h"

namespace qelvor {

// Options of the data grid.
enum TDBGridOption {
    dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines,
    dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit,
    dgMultiSelect,
};
using TDBGridOptions = TSet<TDBGridOption>;

// Extended options of the data grid.
enum TDBGridEhOption {
    dghFixed3D, dghFrozen3D, dghFooter3D, dghData3D, dghResizeWholeRightPart,
    dghHighlightFocus, dghClearSelection, dghFitRowHeightToText, dghAutoSortMarking,
    dghMultiSortMarking, dghEnterAsTab, dghTraceColSizing, dghIncSearch, dghPreferIncSearch,
    dghRowHighlight, dghDblClickOptimizeColWidth, dghDialogFind, dghShowRecNo,
    dghColumnResize, dghColumnMove, dghAutoFitRowHeight, dghHotTrack, dghExtendVertLines,
};
using TDBGridEhOptions = TSet<TDBGridEhOption>;

// Kinds of selection the data grid can hold.
enum TDBGridEhSelectionType : std::uint8_t {
    gstNon = 0, gstRecordBookmarks = 1, gstRectangle = 2, gstColumns = 3, gstAll = 4,
};
using TDBGridEhAllowedSelections = TSet<TDBGridEhSelectionType>;

// A column title's sort marker.
enum TSortMarkerEh : std::uint8_t { smNoneEh = 0, smDownEh = 1, smUpEh = 2 };

enum TTextOrientationEh : std::uint8_t { tohHorizontal, tohVertical };

enum TColumnButtonStyleEh : std::uint8_t { cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown };

enum TScrollBarVisibleModeEh : std::uint8_t { sbAlwaysShowEh, sbNeverShowEh, sbAutoShowEh };

enum class TColumnEhKind { Plain, Checkbox, LookupField, PickList, ImageOnly, KeyPickList };

// Options of the generic grid base.
enum TGridOption {
    goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
    goDrawFocusSelected, goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing,
    goTabs, goRowSelect, goAlwaysShowEditor, goThumbTracking,
};
using TGridOptions = TSet<TGridOption>;

// State of a cell being painted.
enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

// Which scroll bars the generic grid manages itself.
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

}  // namespace qelvor
