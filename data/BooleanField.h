// BooleanField: a true/false column shown by two display words ("True;False").
#pragma once

#include "data/Field.h"

namespace qelvor {

class TBooleanField : public TField {
public:
    explicit TBooleanField(TDataSet* dataSet);
    int DataSize() const override { return 2; }
    // "TrueWord;FalseWord"; either may be empty.
    const std::string& DisplayValues() const { return displayValues_; }
    void SetDisplayValues(const std::string& values);

protected:
    std::string FormatText(const Variant& value, bool displayText) const override;
    // The length of the longer display word.
    int DefaultDisplayWidth() const override;

private:
    std::string displayValues_ = "True;False";
    std::string trueText_ = "True";
    std::string falseText_ = "False";
};

}  // namespace qelvor
