// ColumnTitleOwnerEh: what a column title needs of the column owning it. The column
// implements it, so the title stands below the column and never includes its header.
#pragma once

#include <string>

#include <QFont>

#include "grid/ColumnEhValues.h"

namespace qelvor {

class TColumnEh;
class TColumnGridEh;
class TSortMarkingEh;

class TColumnTitleOwnerEh {
public:
    // The column itself, as the sort marking and Column() know it.
    virtual TColumnEh* TitleColumn() = 0;
    // The column's assigned flags, where the title's live too.
    virtual TColumnEhValues& TitleBits() = 0;
    // The grid as the column sees it (nullptr without one).
    virtual TColumnGridEh* TitleGrid() const = 0;
    // The caption shown when none is assigned (the field's display name, else FieldName).
    virtual std::string TitleFallbackCaption() const = 0;
    // Gives the caption to the bound field when the column writes through to it; false
    // when the title keeps it itself.
    virtual bool TitleWriteCaptionThrough(const std::string& caption) = 0;
    // The font a title without a grid falls back to (the column's own).
    virtual const QFont& TitleFallbackFont() const = 0;
    // The sort marking of the column's collection, which holds the title's marker.
    virtual TSortMarkingEh& TitleSortMarking() = 0;
    // The title changed: this column, or all columns when its size may change.
    virtual void TitleChanged(bool allColumns) = 0;

protected:
    ~TColumnTitleOwnerEh() = default;
};

}  // namespace qelvor
