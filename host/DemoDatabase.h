// DemoDatabase: the embedded demo database the host uses without --connect.
//
// A SQLite file in the user's data folder, made with generated answer sheets on first
// use. It is written under a temporary name beside it and renamed when complete, so an
// interrupted creation never leaves a half-filled database behind, nor takes away a
// database that was there.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace qelvor::host {

// Seed of the generated demo data (the same rows on every machine).
inline constexpr std::uint64_t kDemoSeed = 20240301;

using DemoProgress = std::function<void(std::int64_t done, std::int64_t total)>;

// The demo database's file in the user's data folder.
QString DemoDatabasePath();

// The connection string of a SQLite database file.
QString SqliteConnectionString(const QString& path);

// Makes a demo database with rows sheets at path, replacing any file there once complete;
// makes path's folder when missing (the user's data folder on first use).
// Raises Exception with the reason on failure.
void MakeDemoDatabase(const QString& path, std::int64_t rows, const DemoProgress& progress = {});

}  // namespace qelvor::host
