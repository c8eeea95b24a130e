// DateTimeFields: date, time and date-time field classes.
//
// Values are day counts since 1899-12-30 (fraction = time of day). Each class shows the
// part it stands for, whatever kind of value the provider delivered: a date field
// shows "YYYY-MM-DD" (with the process's date separator), a time field "HH:MM:SS", a
// date-time field both; a display format replaces that (see FieldFormat.h). Text values
// that are not dates are shown as they are.
#pragma once

#include "data/Field.h"

namespace qelvor {

class TDateTimeField : public TField {
public:
    explicit TDateTimeField(TDataSet* dataSet) : TDateTimeField(dataSet, TFieldType::ftDateTime) {}
    int DataSize() const override { return 8; }

protected:
    TDateTimeField(TDataSet* dataSet, TFieldType dataType) : TField(dataSet, dataType, 0) {}
    std::string FormatText(const Variant& value, bool displayText) const override;
    // Twice the native size plus two, room for the formatted text.
    int DefaultDisplayWidth() const override { return DataSize() * 2 + 2; }
};

class TDateField : public TDateTimeField {
public:
    explicit TDateField(TDataSet* dataSet) : TDateTimeField(dataSet, TFieldType::ftDate) {}
    int DataSize() const override { return 4; }
};

class TTimeField : public TDateTimeField {
public:
    explicit TTimeField(TDataSet* dataSet) : TDateTimeField(dataSet, TFieldType::ftTime) {}
    int DataSize() const override { return 4; }
};

class TSQLTimeStampField : public TDateTimeField {
public:
    explicit TSQLTimeStampField(TDataSet* dataSet) : TDateTimeField(dataSet, TFieldType::ftTimeStamp) {}
    int DataSize() const override { return 16; }
};

}  // namespace qelvor
