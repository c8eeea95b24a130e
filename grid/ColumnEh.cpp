// ColumnEh: binding by FieldName, effective values, widths and cell text.
#include "grid/ColumnEh.h"

#include <cassert>

#include <QFontMetrics>

#include "data/DataSet.h"
#include "data/DateTimeFields.h"
#include "data/FieldFormat.h"
#include "data/NumericFields.h"
#include "grid/ColumnDefValuesEh.h"
#include "grid/ColumnGridEh.h"
#include "runtime/Assert.h"

namespace qelvor {

namespace {

bool IsTextType(TFieldType type)
{
    return type == TFieldType::ftString || type == TFieldType::ftMemo
           || type == TFieldType::ftFmtMemo || type == TFieldType::ftWideString;
}

}  // namespace

// A column's format applies to numbers and dates only; other fields show nothing under it.
std::string FormatFieldValue(const TField& field, const std::string& format)
{
    if (format.empty())
        return field.DisplayText();
    const Variant value = field.Value();
    if (value.IsNull())
        return {};
    if (dynamic_cast<const TNumericField*>(&field)) {
        const std::string plain = fieldformat::PlainDecimal(value);
        return plain.empty() ? value.ToString() : fieldformat::FormatDecimal(format, plain);
    }
    if (dynamic_cast<const TDateTimeField*>(&field))
        return fieldformat::FormatDateTime(format, value);
    return {};
}

TColumnEh::TColumnEh(TColumnOwnerEh* owner, bool persistent) : owner_(owner), persistent_(persistent)
{
    font_ = DefaultFontSource();
    title_ = std::make_unique<TColumnTitleEh>(static_cast<TColumnTitleOwnerEh&>(*this));
}

// The collection takes a column out of its sort marking before it destroys it.
TColumnEh::~TColumnEh() = default;

TCustomDBGridEh* TColumnEh::Grid() const
{
    TColumnGridEh* grid = GridLink();
    return grid ? grid->DataGrid() : nullptr;
}

TColumnGridEh* TColumnEh::GridLink() const
{
    return owner_ ? owner_->OwnerGrid() : nullptr;
}

int TColumnEh::Index() const
{
    return owner_ ? owner_->OwnerIndexOf(this) : -1;
}

void TColumnEh::SetIndex(int index)
{
    if (!owner_ || index == Index())
        return;
    if (WritesThrough() && index >= 0 && index < owner_->OwnerCount()) {
        if (TField* shown = owner_->OwnerBoundFieldAt(index))
            boundField_->DataSet()->MoveField(boundField_, shown->Index());
    }
    owner_->OwnerMove(Index(), index);
}

void TColumnEh::SetExplicit(TColumnEhValue value, bool on)
{
    if (on)
        explicitValues_.Include(value);
    else
        explicitValues_.Exclude(value);
}

bool TColumnEh::WritesThrough() const
{
    const TColumnGridEh* grid = GridLink();
    return IsGenerated() && grid && grid->GridLinkActive() && boundField_;
}

void TColumnEh::ColumnChanged(bool allColumns)
{
    if (owner_)
        owner_->OwnerColumnChanged(allColumns ? nullptr : this);
}

// --- what the title needs of its column ---

std::string TColumnEh::TitleFallbackCaption() const
{
    if (TField* field = Field())
        return field->DisplayName();
    return FieldName();
}

bool TColumnEh::TitleWriteCaptionThrough(const std::string& caption)
{
    if (!WritesThrough())
        return false;
    boundField_->SetDisplayLabel(caption);
    return true;
}

TSortMarkingEh& TColumnEh::TitleSortMarking()
{
    // A title's marker lives in its collection: a loose column has none to read.
    QELVOR_ASSERT(owner_);
    return owner_->OwnerSortMarking();
}

std::string TColumnEh::DisplayName() const
{
    return fieldName_.empty() ? "TColumnEh" : fieldName_;
}

TCheckBoxState TColumnEh::CheckboxState() const
{
    const TField* field = Field();
    if (!field || field->IsNull())
        return TCheckBoxState::cbGrayed;
    return field->Value() == Variant(true) ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked;
}

// --- binding ---

TField* TColumnEh::ResolveField() const
{
    TColumnGridEh* grid = GridLink();
    if (boundField_ || fieldName_.empty() || !grid)
        return boundField_;
    TDataSet* dataSet = grid->GridDataSet();
    if (!dataSet || !(dataSet->Active() || !dataSet->DefaultFields()))
        return boundField_;
    if (TField* field = dataSet->FindField(fieldName_)) {
        boundField_ = field;
        fieldName_ = field->FieldName();
        field->FreeNotification(grid->GridFieldWatcher());
    }
    return boundField_;
}

void TColumnEh::SetFieldName(const std::string& name)
{
    fieldName_ = name;
    TField* field = nullptr;
    TColumnGridEh* grid = GridLink();
    if (grid && !name.empty() && !grid->GridLoading()) {
        if (TDataSet* dataSet = grid->GridDataSet())
            field = dataSet->FindField(name);
    }
    SetBoundField(field);
    ColumnChanged(false);
}

void TColumnEh::SetBoundField(TField* field)
{
    if (field == boundField_)
        return;
    boundField_ = field;
    if (field) {
        fieldName_ = field->FieldName();
        if (TColumnGridEh* grid = GridLink())
            field->FreeNotification(grid->GridFieldWatcher());
    }
    if (IsGenerated()) {
        if (!field)
            fieldName_.clear();
        RestoreDefaults();
    }
    ColumnChanged(false);
}

// --- effective values ---

TAlignment TColumnEh::DefaultAlignment() const
{
    TField* field = Field();
    return field ? field->Alignment() : TAlignment::taLeftJustify;
}

TAlignment TColumnEh::Alignment() const
{
    return alignment_.Get(explicitValues_, DefaultAlignment());
}

void TColumnEh::SetAlignment(TAlignment alignment)
{
    if (WritesThrough()) {
        boundField_->SetAlignment(alignment);
        return;
    }
    if (alignment_.Assign(explicitValues_, alignment))
        ColumnChanged(false);
}

TColor TColumnEh::DefaultColor() const
{
    const TColumnGridEh* grid = GridLink();
    return grid ? grid->GridColor() : clWindow;
}

TColor TColumnEh::Color() const
{
    return color_.Get(explicitValues_, DefaultColor());
}

void TColumnEh::SetColor(TColor color)
{
    if (color_.Assign(explicitValues_, color))
        ColumnChanged(false);
}

const QFont& TColumnEh::DefaultFontSource() const
{
    const TColumnGridEh* grid = GridLink();
    return grid ? grid->GridFont() : font_;
}

void TColumnEh::RefreshDefaultFont() const
{
    if (Assigned(cvFont))
        return;
    const QFont& source = DefaultFontSource();
    if (&source != &font_ && (!(font_ == source) || font_.resolveMask() != source.resolveMask()))
        font_ = source;
}

const QFont& TColumnEh::Font() const
{
    RefreshDefaultFont();
    return font_;
}

void TColumnEh::SetFont(const QFont& font)
{
    font_ = font;
    SetExplicit(cvFont, true);
    title_->RefreshDefaultFont();
    ColumnChanged(false);
}

bool TColumnEh::DefaultReadOnly() const
{
    TField* field = Field();
    const bool fieldReadOnly = field && field->ReadOnly();
    const TColumnGridEh* grid = GridLink();
    return grid ? (grid->GridReadOnly() || fieldReadOnly) : fieldReadOnly;
}

bool TColumnEh::ReadOnly() const
{
    return readOnly_.Get(explicitValues_, DefaultReadOnly());
}

void TColumnEh::SetReadOnly(bool value)
{
    if (WritesThrough()) {
        boundField_->SetReadOnly(value);
        return;
    }
    if (readOnly_.Assign(explicitValues_, value))
        ColumnChanged(false);
}

int TColumnEh::DefaultWidth() const
{
    const TColumnGridEh* grid = GridLink();
    if (!grid)
        return 64;
    TField* field = Field();
    if (!field)
        return grid->GridDefaultColWidth();
    const QFontMetrics metrics(Font());
    const int overhang = 0;
    return (metrics.horizontalAdvance(QLatin1Char('0')) - overhang) * field->DisplayWidth() + overhang + 4;
}

int TColumnEh::Width() const
{
    return width_.Get(explicitValues_, DefaultWidth());
}

int TColumnEh::AllowableWidth(int proposed) const
{
    if (maxWidth_ > 0 && proposed > maxWidth_)
        return maxWidth_;
    if (minWidth_ > 0 && proposed < minWidth_)
        return minWidth_;
    return proposed;
}

void TColumnEh::SetWidth(int width)
{
    TColumnGridEh* grid = GridLink();
    bool store = true;
    if (IsGenerated() && grid && boundField_) {
        const QFontMetrics metrics(Font());
        const int zero = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
        boundField_->SetDisplayWidth((width + metrics.averageCharWidth() / 2 - 3) / zero);
        store = Assigned(cvWidth) || !grid->GridLayoutFromLink();
    }
    if (store && width != -1 && (Assigned(cvWidth) || width != DefaultWidth())) {
        width_.Assign(explicitValues_, AllowableWidth(width));
    }
    ColumnChanged(false);
}

void TColumnEh::SetMaxWidth(int width)
{
    maxWidth_ = width;
    if (width > 0 && Width() > width)
        SetWidth(Width());
}

void TColumnEh::SetMinWidth(int width)
{
    minWidth_ = width;
    if (width > 0 && Width() < width)
        SetWidth(Width());
}

bool TColumnEh::DefaultWordWrap() const
{
    TField* field = Field();
    return GridLink() && field && IsTextType(field->DataType());
}

bool TColumnEh::WordWrap() const
{
    return wordWrap_.Get(explicitValues_, DefaultWordWrap());
}

void TColumnEh::SetWordWrap(bool value)
{
    if (wordWrap_.Assign(explicitValues_, value))
        ColumnChanged(false);
}

bool TColumnEh::DefaultEndEllipsis() const
{
    const TColumnGridEh* grid = GridLink();
    return grid && grid->GridColumnDefValues().EndEllipsis();
}

bool TColumnEh::EndEllipsis() const
{
    return endEllipsis_.Get(explicitValues_, DefaultEndEllipsis());
}

void TColumnEh::SetEndEllipsis(bool value)
{
    if (endEllipsis_.Assign(explicitValues_, value))
        ColumnChanged(false);
}

bool TColumnEh::DefaultToolTips() const
{
    const TColumnGridEh* grid = GridLink();
    return grid && grid->GridColumnDefValues().ToolTips();
}

bool TColumnEh::ToolTips() const
{
    return toolTips_.Get(explicitValues_, DefaultToolTips());
}

void TColumnEh::SetToolTips(bool value)
{
    if (toolTips_.Assign(explicitValues_, value))
        ColumnChanged(false);
}

bool TColumnEh::DefaultCheckboxes() const
{
    TField* field = Field();
    return field && field->DataType() == TFieldType::ftBoolean;
}

bool TColumnEh::Checkboxes() const
{
    return checkboxes_.Get(explicitValues_, DefaultCheckboxes());
}

void TColumnEh::SetCheckboxes(bool value)
{
    if (checkboxes_.Assign(explicitValues_, value))
        ColumnChanged(false);
}

void TColumnEh::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    ColumnChanged(true);
}

void TColumnEh::SetDisplayFormat(const std::string& format)
{
    if (format == displayFormat_)
        return;
    displayFormat_ = format;
    ColumnChanged(false);
}

std::vector<std::string>& TColumnEh::PickList()
{
    if (!pickList_)
        pickList_ = std::make_unique<std::vector<std::string>>();
    return *pickList_;
}

std::vector<std::string>& TColumnEh::KeyList()
{
    if (!keyList_)
        keyList_ = std::make_unique<std::vector<std::string>>();
    return *keyList_;
}

TColumnEhKind TColumnEh::ColumnKind() const
{
    if (Checkboxes())
        return TColumnEhKind::Checkbox;
    TField* field = Field();
    if (field && field->FieldKind() == TFieldKind::fkLookup)
        return TColumnEhKind::LookupField;
    if (HasPickList() && !HasKeyList())
        return TColumnEhKind::PickList;
    if (HasPickList() && HasKeyList())
        return TColumnEhKind::KeyPickList;
    return TColumnEhKind::Plain;
}

std::string TColumnEh::ColumnDisplayText() const
{
    TField* field = Field();
    if (!field)
        return {};
    if (HasKeyList()) {
        const std::string key = field->EditText();
        const auto& keys = *keyList_;
        const int pickCount = pickList_ ? static_cast<int>(pickList_->size()) : 0;
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == key)
                return static_cast<int>(i) < pickCount ? (*pickList_)[i] : std::string{};
        if (notInKeyListIndex_ >= 0 && notInKeyListIndex_ < pickCount)
            return (*pickList_)[static_cast<std::size_t>(notInKeyListIndex_)];
        return {};
    }
    const TColumnGridEh* grid = GridLink();
    if (grid && grid->GridDrawMemoText() && field->DataType() == TFieldType::ftMemo)
        return field->AsString();
    return FormatFieldValue(*field, displayFormat_);
}

void TColumnEh::RestoreDefaults()
{
    title_->RestoreDefaults();
    const bool hadFont = Assigned(cvFont);
    explicitValues_ = {};
    RefreshDefaultFont();
    pickList_.reset();
    ColumnChanged(hadFont);
    keyList_.reset();
}

// --- storage tests ---

bool TColumnEh::IsAlignmentStored() const { return alignment_.Stored(explicitValues_, DefaultAlignment()); }
bool TColumnEh::IsColorStored() const { return color_.Stored(explicitValues_, DefaultColor()); }
bool TColumnEh::IsFontStored() const { return Assigned(cvFont); }
bool TColumnEh::IsReadOnlyStored() const { return readOnly_.Stored(explicitValues_, DefaultReadOnly()); }
bool TColumnEh::IsWidthStored() const { return width_.Stored(explicitValues_, DefaultWidth()); }
bool TColumnEh::IsWordWrapStored() const { return wordWrap_.Stored(explicitValues_, DefaultWordWrap()); }
bool TColumnEh::IsEndEllipsisStored() const { return endEllipsis_.Stored(explicitValues_, DefaultEndEllipsis()); }
bool TColumnEh::IsToolTipsStored() const { return toolTips_.Stored(explicitValues_, DefaultToolTips()); }
// A check box look is written whenever assigned, even when it equals the default.
bool TColumnEh::IsCheckboxesStored() const { return checkboxes_.IsAssigned(explicitValues_); }

}  // namespace qelvor
