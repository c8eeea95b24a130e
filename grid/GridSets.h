// GridSets: the flag-set type of the grid's option sets and the grid's enumerations.
//
// TSet<E> is a small value type over an enumeration whose values are 0..63, one bit
// per value, so option sets read like the published properties they stand for:
// `grid.SetOptionsEh({dghFixed3D, dghHighlightFocus})`, `Options().Contains(dgTitles)`.
#pragma once

#include <cassert>
#include <cstdint>
#include <initializer_list>

namespace qelvor {

template <typename E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items)
    {
        for (E item : items)
            bits_ |= Bit(item);
    }

    // True when `item` is in the set.
    constexpr bool Contains(E item) const { return (bits_ & Bit(item)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint64_t Bits() const { return bits_; }

    // Adds / removes one value; returns the set for chaining.
    constexpr TSet& Include(E item) { bits_ |= Bit(item); return *this; }
    constexpr TSet& Exclude(E item) { bits_ &= ~Bit(item); return *this; }

    friend constexpr TSet operator+(TSet a, TSet b) { a.bits_ |= b.bits_; return a; }
    friend constexpr TSet operator-(TSet a, TSet b) { a.bits_ &= ~b.bits_; return a; }
    friend constexpr TSet operator*(TSet a, TSet b) { a.bits_ &= b.bits_; return a; }
    friend constexpr bool operator==(TSet a, TSet b) = default;

private:
    static constexpr std::uint64_t Bit(E item)
    {
        assert(static_cast<int>(item) >= 0 && static_cast<int>(item) < 64);
        return std::uint64_t{1} << static_cast<int>(item);
    }
    std::uint64_t bits_ = 0;
};

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
