// Field: the generic part of every field class (names, label, width, texts).
#include "data/Field.h"

#include <algorithm>

#include "data/DataSet.h"

namespace qelvor {

TField::TField(TDataSet* dataSet, TFieldType dataType, int size)
    : dataSet_(dataSet), dataType_(dataType), size_(size)
{
}

TField::~TField()
{
    BeginDestroy();
}

int TField::DataSize() const
{
    return 0;
}

int TField::Index() const
{
    if (!dataSet_)
        return -1;
    const auto& fields = dataSet_->fields_;
    const auto found = std::find_if(fields.begin(), fields.end(), [this](const auto& field) { return field.get() == this; });
    return found == fields.end() ? -1 : static_cast<int>(found - fields.begin());
}

void TField::SetFieldName(const std::string& name)
{
    // A label equal to the name carries no information of its own.
    if (displayLabel_ == name)
        displayLabel_.clear();
    fieldName_ = name;
}

std::string TField::DisplayLabel() const
{
    return displayLabel_.empty() ? fieldName_ : displayLabel_;
}

void TField::SetDisplayLabel(const std::string& label)
{
    const std::string stored = label == fieldName_ ? std::string() : label;
    if (stored == displayLabel_)
        return;
    displayLabel_ = stored;
    PropertyChanged(true);
}

int TField::DisplayWidth() const
{
    return displayWidth_ >= 1 ? displayWidth_ : DefaultDisplayWidth();
}

void TField::SetDisplayWidth(int width)
{
    if (width == displayWidth_)
        return;
    displayWidth_ = width;
    PropertyChanged(true);
}

void TField::SetAlignment(TAlignment alignment)
{
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    PropertyChanged(false);
}

void TField::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    PropertyChanged(true);
}

Variant TField::Value() const
{
    return dataSet_ ? dataSet_->ActiveFieldValue(*this) : Variant();
}

std::string TField::FormatText(const Variant& value, bool) const
{
    return value.ToString();
}

bool TField::IsValidChar(char32_t) const
{
    return true;
}

int TField::DefaultDisplayWidth() const
{
    return 10;
}

void TField::PropertyChanged(bool layoutAffected)
{
    if (dataSet_ && dataSet_->Active())
        dataSet_->DataEvent(layoutAffected ? TDataEvent::deLayoutChange : TDataEvent::deDataSetChange, 0);
}

std::string TField::Text(bool displayText) const
{
    std::string text;
    if (OnGetText) {
        // The handler owns the text completely, null or not.
        OnGetText(const_cast<TField&>(*this), text, displayText);
        return text;
    }
    const Variant value = Value();
    if (!value.IsNull())
        text = FormatText(value, displayText);
    return text;
}

}  // namespace qelvor
