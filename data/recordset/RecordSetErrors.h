// RecordSetErrors: the texts of the record-set layer's own failures (the provider's
// failures carry the engine's text instead).
#pragma once

namespace qelvor::recordset {

inline constexpr const char* kObjectOpen = "Operation is not allowed when the object is open.";
inline constexpr const char* kObjectClosed = "Operation is not allowed when the object is closed.";
inline constexpr const char* kNoCurrentRecord =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record.";
inline constexpr const char* kNoSuchItem =
    "Item cannot be found in the collection corresponding to the requested name or ordinal.";
inline constexpr const char* kConnectionUnusable =
    "The connection cannot be used to perform this operation. It is either closed or invalid in this context.";
inline constexpr const char* kTimeoutExpired = "Query timeout expired";
inline constexpr const char* kDatabaseLocked =
    "The database is locked by another program: its search waited until the time-out";
inline constexpr const char* kNoCommandText = "Command text was not set for the command object.";
inline constexpr const char* kBadBookmark = "The bookmark is not valid for this record set.";
inline constexpr const char* kArgumentOutOfRange =
    "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.";

}  // namespace qelvor::recordset
