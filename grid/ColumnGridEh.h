// ColumnGridEh: what the columns, their titles, their collection and the column
// defaults need of the grid they belong to. The data grid implements it; the parts see
// the grid only through it, so they stand below the grid and never include its header.
//
// Every answer is the grid's current state; the notifications are the grid's to act on
// (a rebuild, a repaint) as it sees fit.
#pragma once

#include <QFont>

#include "grid/SystemColors.h"

namespace qelvor {

class TColumnDefValuesEh;
class TColumnEh;
class TComponent;
class TCustomDBGridEh;
class TDataSet;

class TColumnGridEh {
public:
    // The grid itself, for the parts' public Grid() accessors.
    virtual TCustomDBGridEh* DataGrid() = 0;

    // --- values unassigned columns and titles take ---
    virtual const QFont& GridFont() const = 0;
    virtual const QFont& GridTitleFont() const = 0;
    virtual TColor GridColor() const = 0;
    virtual TColor GridFixedColor() const = 0;
    virtual bool GridReadOnly() const = 0;
    virtual int GridDefaultColWidth() const = 0;
    virtual bool GridDrawMemoText() const = 0;
    virtual bool GridMultiTitle() const = 0;
    virtual const TColumnDefValuesEh& GridColumnDefValues() const = 0;

    // --- the data link ---
    // The link's dataset (nullptr: none) and whether the link is active.
    virtual TDataSet* GridDataSet() const = 0;
    virtual bool GridLinkActive() const = 0;
    // The component a bound field tells when it goes away.
    virtual TComponent* GridFieldWatcher() = 0;

    // --- state ---
    virtual bool GridLoading() const = 0;
    // A layout change reported by the data link is being handled.
    virtual bool GridLayoutFromLink() const = 0;

    // --- notifications ---
    // Layout batches: the outermost unlock rebuilds.
    virtual void GridLockLayout() = 0;
    virtual void GridUnlockLayout() = 0;
    // One column (nullptr: all columns) changed.
    virtual void GridColumnsChanged(TColumnEh* column) = 0;
    virtual void GridRequestLayout() = 0;
    virtual void GridInvalidate() = 0;

protected:
    ~TColumnGridEh() = default;
};

}  // namespace qelvor
