// DataSet, fields: the field list, its lookups and the per-record value cache.
#include "data/DataSet.h"

#include <algorithm>
#include "runtime/Assert.h"

#include "runtime/Collation.h"
#include "runtime/Exceptions.h"

namespace qelvor {

TField* TDataSet::FindField(const std::string& fieldName) const
{
    for (const auto& field : fields_) {
        if (EqualIgnoringCase(field->FieldName(), fieldName))
            return field.get();
    }
    return nullptr;
}

TField* TDataSet::FieldByName(const std::string& fieldName) const
{
    TField* field = FindField(fieldName);
    if (!field)
        DatabaseError("Field '" + fieldName + "' not found", Name());
    return field;
}

void TDataSet::MoveField(TField* field, int newIndex)
{
    const int oldIndex = field->Index();
    QELVOR_ASSERT(oldIndex >= 0);
    newIndex = std::clamp(newIndex, 0, FieldCount() - 1);
    if (newIndex == oldIndex)
        return;
    auto first = fields_.begin();
    if (newIndex < oldIndex)
        std::rotate(first + newIndex, first + oldIndex, first + oldIndex + 1);
    else
        std::rotate(first + oldIndex, first + oldIndex + 1, first + newIndex + 1);
    if (Active())
        DataEvent(TDataEvent::deLayoutChange, 0);
}

void TDataSet::AddField(std::unique_ptr<TField> field)
{
    QELVOR_ASSERT(field && field->dataSet_ == this);
    // Value slots are fixed at creation so that reordering fields never moves values.
    field->valueSlot_ = FieldCount();
    fields_.push_back(std::move(field));
}

void TDataSet::DestroyFields()
{
    // Destroy from the last so that Index() stays meaningful for listeners.
    while (!fields_.empty())
        fields_.pop_back();
}

Variant TDataSet::ActiveFieldValue(const TField& field)
{
    if (!Active() || IsEmpty() || field.valueSlot_ < 0)
        return {};
    RecordBuffer& buffer = Buffer(activeRecord_);
    const auto slot = static_cast<std::size_t>(field.valueSlot_);
    if (buffer.values.size() <= slot) {
        buffer.values.resize(fields_.size());
        buffer.valueLoaded.resize(fields_.size(), false);
    }
    if (!buffer.valueLoaded[slot]) {
        buffer.values[slot] = field.FieldKind() == TFieldKind::fkData ? ReadFieldValue(activeRecord_, field) : Variant();
        buffer.valueLoaded[slot] = true;
    }
    return buffer.values[slot];
}

}  // namespace qelvor
