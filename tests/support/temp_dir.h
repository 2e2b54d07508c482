// A temporary application directory for a test, removed with everything in it.
#pragma once

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

#include "schema_sql.h"

namespace quorlin::testing {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        auto base = std::filesystem::temp_directory_path();
        for (int i = 0; i < 100; ++i) {
            auto p = base / ("quorlin-test-" + std::to_string(rd()));
            std::error_code ec;
            if (std::filesystem::create_directory(p, ec)) {
                path_ = p;
                return;
            }
        }
        throw std::runtime_error("no temporary directory");
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::wstring WPath() const { return path_.wstring(); }
    std::filesystem::path File(const std::string& name) const { return path_ / name; }

    // Writes bts.db (or another name) from the delivered schema with its reserved rows.
    std::filesystem::path MakeDatabase(const std::string& name = "bts.db") const {
        auto p = File(name);
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(p.u8string().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot create test database");
        char* err = nullptr;
        int rc = sqlite3_exec(db, kSchemaSql, nullptr, nullptr, &err);
        std::string message = err ? err : "";
        sqlite3_free(err);
        sqlite3_close(db);
        if (rc != SQLITE_OK) throw std::runtime_error("schema failed: " + message);
        return p;
    }

    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out << bytes;
    }

private:
    std::filesystem::path path_;
};

// Runs SQL directly on a database file (outside the program), e.g. to check what is stored.
inline std::string QueryText(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.u8string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
        bool first = true;
        while (sqlite3_step(st) == SQLITE_ROW) {
            if (!first) out += "\n";
            first = false;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                if (i) out += "|";
                const unsigned char* t = sqlite3_column_text(st, i);
                out += t ? reinterpret_cast<const char*>(t) : "NULL";
            }
        }
    } else {
        out = std::string("error: ") + sqlite3_errmsg(db);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

// The application directory the build made (exe, bts.db, Img\), named by QUORLIN_APPDIR,
// as a Windows path (a Unix path is reached through drive Z:).
inline std::wstring BuiltAppDir() {
    const char* env = std::getenv("QUORLIN_APPDIR");
    std::string p = env ? env : "";
    if (!p.empty() && p[0] == '/') {
        for (auto& c : p)
            if (c == '/') c = '\\';
        p = "Z:" + p;
    }
    return std::wstring(p.begin(), p.end());
}

}  // namespace quorlin::testing
