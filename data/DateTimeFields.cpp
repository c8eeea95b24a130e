#include "data/DateTimeFields.h"

#include "data/FieldFormat.h"

namespace qelvor {

namespace {

DateTimeValue::Kind KindOf(TFieldType type)
{
    switch (type) {
    case TFieldType::ftDate: return DateTimeValue::Kind::Date;
    case TFieldType::ftTime: return DateTimeValue::Kind::Time;
    default: return DateTimeValue::Kind::DateTime;
    }
}

}  // namespace

std::string TDateTimeField::FormatText(const Variant& value, bool displayText) const
{
    if (displayText && !DisplayFormat().empty())
        return fieldformat::FormatDateTime(DisplayFormat(), value);
    if (!value.Holds<DateTimeValue>())
        return value.ToString();
    DateTimeValue shown = value.Get<DateTimeValue>();
    shown.kind = KindOf(DataType());
    return Variant(shown).ToString();
}

}  // namespace qelvor
