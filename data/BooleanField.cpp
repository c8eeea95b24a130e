#include "data/BooleanField.h"

#include <algorithm>

#include "data/FieldFormat.h"

namespace qelvor {

namespace {

// Characters (code points) of UTF-8 text.
int CharacterCount(const std::string& text)
{
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

TBooleanField::TBooleanField(TDataSet* dataSet) : TField(dataSet, TFieldType::ftBoolean, 0) {}

void TBooleanField::SetDisplayValues(const std::string& values)
{
    const std::size_t separator = values.find(';');
    displayValues_ = values;
    trueText_ = values.substr(0, separator);
    falseText_ = separator == std::string::npos ? std::string() : values.substr(separator + 1);
    PropertyChanged(true);
}

std::string TBooleanField::FormatText(const Variant& value, bool) const
{
    std::int64_t number = 0;
    if (!fieldformat::ToInteger(value, number))
        return value.ToString();
    return number != 0 ? trueText_ : falseText_;
}

int TBooleanField::DefaultDisplayWidth() const
{
    return std::max(CharacterCount(trueText_), CharacterCount(falseText_));
}

}  // namespace qelvor
