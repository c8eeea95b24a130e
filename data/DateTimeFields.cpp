#include "data/DateTimeFields.h"

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

std::string TDateTimeField::FormatText(const Variant& value, bool) const
{
    if (!value.Holds<DateTimeValue>())
        return value.ToString();
    DateTimeValue shown = value.Get<DateTimeValue>();
    shown.kind = KindOf(DataType());
    return Variant(shown).ToString();
}

}  // namespace qelvor
