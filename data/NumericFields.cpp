#include "data/NumericFields.h"

#include <cstdio>

#include "data/FieldFormat.h"

namespace qelvor {

namespace {
const std::string kMoneyFormat = "0.00";
}  // namespace

TNumericField::TNumericField(TDataSet* dataSet, TFieldType dataType, int size) : TField(dataSet, dataType, size)
{
    SetAlignment(TAlignment::taRightJustify);
}

std::string TNumericField::FormatText(const Variant& value, bool displayText) const
{
    if (displayText && !DisplayFormat().empty()) {
        const std::string plain = fieldformat::PlainDecimal(value);
        if (!plain.empty())
            return fieldformat::FormatDecimal(DisplayFormat(), plain);
    }
    return PlainText(value);
}

bool TNumericField::IsValidChar(char32_t character) const
{
    return (character >= U'0' && character <= U'9') || character == U'+' || character == U'-' || character == U'.'
           || character == U'e' || character == U'E';
}

TIntegerField::TIntegerField(TDataSet* dataSet, TFieldType dataType) : TNumericField(dataSet, dataType, 0) {}

bool TIntegerField::IsValidChar(char32_t character) const
{
    return (character >= U'0' && character <= U'9') || character == U'+' || character == U'-';
}

std::string TIntegerField::PlainText(const Variant& value) const
{
    std::int64_t number = 0;
    return fieldformat::ToInteger(value, number) ? std::to_string(number) : value.ToString();
}

TAutoIncField::TAutoIncField(TDataSet* dataSet) : TIntegerField(dataSet, TFieldType::ftAutoInc)
{
    SetReadOnly(true);
}

TFloatField::TFloatField(TDataSet* dataSet, TFieldType dataType) : TNumericField(dataSet, dataType, 0) {}

void TFloatField::SetCurrency(bool currency)
{
    if (currency == currency_)
        return;
    currency_ = currency;
    PropertyChanged(false);
}

std::string TFloatField::PlainText(const Variant& value) const
{
    double number = 0;
    if (!fieldformat::ToFloat(value, number))
        return value.ToString();
    if (currency_)
        return fieldformat::FormatDecimal(kMoneyFormat, fieldformat::PlainDecimal(number));
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", number);
    return buffer;
}

TCurrencyField::TCurrencyField(TDataSet* dataSet) : TFloatField(dataSet, TFieldType::ftCurrency)
{
    SetCurrency(true);
}

TBCDField::TBCDField(TDataSet* dataSet, int scale, int precision, TFieldType dataType)
    : TNumericField(dataSet, dataType, scale), precision_(precision)
{
}

void TBCDField::SetCurrency(bool currency)
{
    if (currency == currency_)
        return;
    currency_ = currency;
    PropertyChanged(false);
}

std::string TBCDField::PlainText(const Variant& value) const
{
    const std::string plain = fieldformat::PlainDecimal(value);
    if (plain.empty())
        return value.ToString();
    if (currency_)
        return fieldformat::FormatDecimal(kMoneyFormat, plain);
    // Exact decimals keep their digits; a float that reached us is shown as a float.
    if (value.Holds<double>()) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.15g", value.Get<double>());
        return buffer;
    }
    return plain;
}

int TBCDField::DefaultDisplayWidth() const
{
    return precision_ > 0 ? precision_ + 1 : 10;
}

}  // namespace qelvor
