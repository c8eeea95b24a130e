// Helpers of the browse form's tests: recording error boxes instead of showing
// them, and a small demo database with a host connection to it.
#pragma once

#include <QTemporaryDir>
#include <sqlite3.h>
#include <stdexcept>
#include <memory>
#include <string>
#include <vector>

#include "data/ADOConnection.h"
#include "platform/ExceptionDispatch.h"
#include "sampledata/SampleDatabase.h"

namespace qelvor::test {

// Collects what error boxes would show while it lives.
class ErrorRecorder {
public:
    ErrorRecorder()
    {
        previous_ = SetErrorPresenter([this](const std::string& title, const std::string& text) {
            titles.push_back(title);
            texts.push_back(text);
        });
    }
    ~ErrorRecorder() { SetErrorPresenter(std::move(previous_)); }
    ErrorRecorder(const ErrorRecorder&) = delete;
    ErrorRecorder& operator=(const ErrorRecorder&) = delete;

    std::vector<std::string> titles;
    std::vector<std::string> texts;

private:
    ErrorPresenter previous_;
};

// A SQLite database in a temporary folder and an open host connection to it:
// `rows` demo sheets, or none of the answer-sheet tables when rows is negative.
class TestDatabase {
public:
    explicit TestDatabase(std::int64_t rows)
    {
        path_ = dir_.filePath(QStringLiteral("demo.db")).toStdString();
        if (rows >= 0)
            CreateSampleDatabase(path_, rows, 7);
        else
            CreateDatabaseWithoutTheTables();
        connection = std::make_unique<TADOConnection>("HostConnection");
        connection->SetConnectionString("Provider=SQLite;Data Source=" + path_);
        connection->Open();
    }

    // The answer-sheet tables made by `script` (SQL run on the new file) instead.
    explicit TestDatabase(const std::string& script)
    {
        path_ = dir_.filePath(QStringLiteral("demo.db")).toStdString();
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        const int made = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        if (made != SQLITE_OK)
            throw std::runtime_error("the test database's script failed");
        connection = std::make_unique<TADOConnection>("HostConnection");
        connection->SetConnectionString("Provider=SQLite;Data Source=" + path_);
        connection->Open();
    }

    const std::string& Path() const { return path_; }

    // The first column of the first row of sql, read straight from the file.
    std::string Scalar(const std::string& sql) const
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        std::string value;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW
            && sqlite3_column_text(statement, 0) != nullptr)
            value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
        sqlite3_close(db);
        if (value.empty())
            throw std::runtime_error("no value for " + sql);
        return value;
    }

    std::unique_ptr<TADOConnection> connection;

private:
    void CreateDatabaseWithoutTheTables()
    {
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        sqlite3_exec(db, "create table unrelated(x)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }

    QTemporaryDir dir_;
    std::string path_;
};

}  // namespace qelvor::test
