#pragma once

// The layout of a keyed archive as a property list, shared by its encoder and decoder:
//   {"$archiver": "KeyedArchive", "$version": 1, "$root": node}
// where a node is a plain property-list value (string, number, bool, data, date), an array of
// nodes, or a dictionary tagged by "$class":
//   {"$class": "$null"}                                   the null value
//   {"$class": "$dictionary", "$entries": {key: node}}    a dictionary
//   {"$class": <registered name>, "$fields": {key: node}} an archived object
namespace foundation::archive_format {

inline constexpr const char* kArchiverKey = "$archiver";
inline constexpr const char* kArchiverName = "KeyedArchive";
inline constexpr const char* kVersionKey = "$version";
inline constexpr long long kVersion = 1;
inline constexpr const char* kRootKey = "$root";
inline constexpr const char* kClassKey = "$class";
inline constexpr const char* kNullClass = "$null";
inline constexpr const char* kDictionaryClass = "$dictionary";
inline constexpr const char* kEntriesKey = "$entries";
inline constexpr const char* kFieldsKey = "$fields";
// Class names starting with this are the format's own.
inline constexpr char kReservedPrefix = '$';

}  // namespace foundation::archive_format
