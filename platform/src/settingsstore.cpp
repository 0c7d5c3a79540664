// Settings store: one SQLite database per hive, with registry semantics.
//
// Schema (user_version 1):
//   keys(folded PK, parent, name)  one row per key except the hive root; `folded` is the whole
//                                  folded path, `parent` the parent's, `name` the last
//                                  component as first written.
//   vals(key, folded, name, type, data), PRIMARY KEY(key, folded).
// Names are stored as BLOBs so that any bytes (even NUL) compare exactly with memcmp.
#include <platform/settingsstore.h>

#include <platform/atomicfile.h>

#include <platform/paths.h>
#include <platform/textutil.h>

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yv::settings {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// Values and paths

Value Value::fromString(std::string_view utf8)
{
    Value v;
    v.type = ValueType::Sz;
    v.data.assign(utf8.begin(), utf8.end());
    v.data.push_back(0);
    return v;
}

Value Value::fromDword(std::uint32_t x)
{
    Value v;
    v.type = ValueType::Dword;
    v.data = {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(x >> 8),
              static_cast<std::uint8_t>(x >> 16), static_cast<std::uint8_t>(x >> 24)};
    return v;
}

Value Value::fromBytes(const void* bytes, std::size_t size)
{
    Value v;
    v.type = ValueType::Binary;
    if (bytes && size) {
        const auto* p = static_cast<const std::uint8_t*>(bytes);
        v.data.assign(p, p + size);
    }
    return v;
}

std::optional<std::uint32_t> Value::dword() const
{
    if (type != ValueType::Dword || data.size() != 4)
        return std::nullopt;
    return std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 | std::uint32_t(data[2]) << 16 |
           std::uint32_t(data[3]) << 24;
}

std::optional<std::string> Value::string() const
{
    if (type != ValueType::Sz)
        return std::nullopt;
    const auto end = std::find(data.begin(), data.end(), std::uint8_t(0));
    return std::string(data.begin(), end);
}

std::string normalizeKeyPath(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t end = path.find('\\', pos);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > pos) {
            if (!out.empty())
                out += '\\';
            out.append(path.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return out;
}

namespace {

struct RootName {
    std::string_view abbreviation;
    const char* name;
    Hive hive;
};

constexpr RootName kRoots[] = {
    {"HKCU", "HKEY_CURRENT_USER", Hive::CurrentUser},
    {"HKLM", "HKEY_LOCAL_MACHINE", Hive::LocalMachine},
    {"HKCR", "HKEY_CLASSES_ROOT", Hive::ClassesRoot},
};

} // namespace

std::optional<Hive> parseRootedPath(std::string_view rooted, std::string& path)
{
    const std::size_t sep = rooted.find('\\');
    const std::string_view root = rooted.substr(0, sep);
    for (const RootName& r : kRoots) {
        if (text::equalsIgnoringAsciiCase(root, r.abbreviation) ||
            text::equalsIgnoringAsciiCase(root, r.name)) {
            path = sep == std::string_view::npos ? std::string() : normalizeKeyPath(rooted.substr(sep));
            return r.hive;
        }
    }
    return std::nullopt;
}

const char* hiveName(Hive hive)
{
    for (const RootName& r : kRoots)
        if (r.hive == hive)
            return r.name;
    return "";
}

namespace {

// Case folding as the registry users expect it for our texts: ASCII, Latin-1 letters and
// full-width Latin letters. Invalid UTF-8 is copied byte for byte, so nothing is lost.
std::string fold(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        if (b0 < 0x80) {
            out += (b0 >= 'A' && b0 <= 'Z') ? char(b0 + 32) : char(b0);
            ++i;
            continue;
        }
        const auto cont = [&](std::size_t k) {
            return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        };
        if (b0 == 0xC3 && cont(1)) {
            // U+00C0..U+00DE except U+00D7 (multiplication sign): second byte 0x80..0x9E.
            const auto b1 = static_cast<unsigned char>(s[i + 1]);
            out += char(b0);
            out += (b1 <= 0x9E && b1 != 0x97) ? char(b1 + 0x20) : char(b1);
            i += 2;
            continue;
        }
        if (b0 == 0xEF && cont(1) && cont(2) && static_cast<unsigned char>(s[i + 1]) == 0xBC) {
            // U+FF21..U+FF3A are EF BC A1..BA; their lower case U+FF41..U+FF5A are EF BD 81..9A.
            const auto b2 = static_cast<unsigned char>(s[i + 2]);
            if (b2 >= 0xA1 && b2 <= 0xBA) {
                out += '\xEF';
                out += '\xBD';
                out += char(b2 - 0x20);
                i += 3;
                continue;
            }
        }
        out += char(b0);
        ++i;
    }
    return out;
}

constexpr int kSchemaVersion = 1;
constexpr auto kBusyTimeout = std::chrono::seconds(10);
constexpr auto kGiveUpAfter = std::chrono::seconds(30);
constexpr int kMaxAttempts = 50;

struct SqlError {
    int rc;
};

bool isBusy(int rc)
{
    rc &= 0xFF;
    return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

bool isDamage(int rc)
{
    rc &= 0xFF;
    return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DbPtr = std::unique_ptr<sqlite3, DbCloser>;

struct StmtFinalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};

void exec(sqlite3* db, const std::string& sql)
{
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw SqlError{rc};
}

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql)
    {
        sqlite3_stmt* raw = nullptr;
        const int rc = sqlite3_prepare_v2(db, sql.data(), int(sql.size()), &raw, nullptr);
        m_stmt.reset(raw);
        if (rc != SQLITE_OK)
            throw SqlError{rc};
    }

    Statement& bind(int index, std::string_view bytes)
    {
        // A null pointer would bind NULL rather than an empty blob.
        const char* p = bytes.empty() ? "" : bytes.data();
        check(sqlite3_bind_blob64(m_stmt.get(), index, p, bytes.size(), SQLITE_TRANSIENT));
        return *this;
    }

    Statement& bind(int index, std::int64_t v)
    {
        check(sqlite3_bind_int64(m_stmt.get(), index, v));
        return *this;
    }

    bool step()
    {
        const int rc = sqlite3_step(m_stmt.get());
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw SqlError{rc};
    }

    std::string bytes(int column) const
    {
        const void* p = sqlite3_column_blob(m_stmt.get(), column);
        const int n = sqlite3_column_bytes(m_stmt.get(), column);
        return p && n > 0 ? std::string(static_cast<const char*>(p), std::size_t(n)) : std::string();
    }

    std::int64_t integer(int column) const { return sqlite3_column_int64(m_stmt.get(), column); }

    void reset()
    {
        sqlite3_reset(m_stmt.get());
        sqlite3_clear_bindings(m_stmt.get());
    }

    Value value(int typeColumn, int dataColumn) const
    {
        Value v;
        v.type = static_cast<ValueType>(static_cast<std::uint32_t>(integer(typeColumn)));
        const std::string d = bytes(dataColumn);
        v.data.assign(d.begin(), d.end());
        return v;
    }

private:
    static void check(int rc)
    {
        if (rc != SQLITE_OK)
            throw SqlError{rc};
    }

    std::unique_ptr<sqlite3_stmt, StmtFinalizer> m_stmt;
};

// Rolls back whatever is left open when a transaction body leaves early.
struct RollbackGuard {
    sqlite3* db;
    ~RollbackGuard()
    {
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
};

std::string parentOf(std::string_view folded)
{
    const std::size_t sep = folded.rfind('\\');
    return sep == std::string_view::npos ? std::string() : std::string(folded.substr(0, sep));
}

// Creates the key at `path` (normalised) and its missing ancestors.
void ensureKey(sqlite3* db, const std::string& path)
{
    if (path.empty())
        return;
    const std::string folded = fold(path);
    Statement exists(db, "SELECT 1 FROM keys WHERE folded = ?1");
    if (exists.bind(1, folded).step())
        return;
    Statement insert(db, "INSERT OR IGNORE INTO keys(folded, parent, name) VALUES(?1, ?2, ?3)");
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t end = path.find('\\', pos);
        if (end == std::string::npos)
            end = path.size();
        // Folding keeps every byte offset, so prefixes of `folded` line up with `path`.
        const std::string prefix = folded.substr(0, end);
        insert.reset();
        insert.bind(1, prefix)
            .bind(2, parentOf(prefix))
            .bind(3, std::string_view(path).substr(pos, end - pos))
            .step();
        pos = end + 1;
    }
}

void writeValue(sqlite3* db, const std::string& path, std::string_view name, const Value& v)
{
    ensureKey(db, path);
    Statement(db, "INSERT INTO vals(key, folded, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                  "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data")
        .bind(1, fold(path))
        .bind(2, fold(name))
        .bind(3, name)
        .bind(4, std::int64_t(static_cast<std::uint32_t>(v.type)))
        .bind(5, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size()))
        .step();
}

std::optional<Value> readValue(sqlite3* db, const std::string& path, std::string_view name)
{
    Statement q(db, "SELECT type, data FROM vals WHERE key = ?1 AND folded = ?2");
    q.bind(1, fold(path)).bind(2, fold(name));
    if (!q.step())
        return std::nullopt;
    return q.value(0, 1);
}

std::string timestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

// Moves a damaged hive and its companions aside; returns the new name, empty on failure.
std::string setAside(const std::string& path)
{
    const std::string base = path + ".damaged-" + timestamp();
    std::string target;
    for (int n = 0; n < 100 && target.empty(); ++n) {
        const std::string candidate = n ? base + "-" + std::to_string(n) : base;
        if (files::moveNoReplace(path, candidate))
            target = candidate;
        else if (errno != EEXIST)
            return {};
    }
    if (!target.empty())
        for (const char* suffix : {"-wal", "-shm", "-journal"})
            files::moveNoReplace(path + suffix, target + suffix);
    return target;
}

// Percent-encodes a file name for an SQLite URI.
std::string uriEscaped(std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || std::strchr("/-._~", c)) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const FileId&) const = default;
};

std::optional<FileId> fileId(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

void warn(const std::string& line)
{
    const std::string text = "yorvane5: " + line + "\n";
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

// Set while an Updater runs: a store call from inside it would deadlock on the connection's
// mutex, so such calls fail instead.
thread_local bool tInsideUpdater = false;

struct UpdaterScope {
    UpdaterScope() { tInsideUpdater = true; }
    ~UpdaterScope() { tInsideUpdater = false; }
    UpdaterScope(const UpdaterScope&) = delete;
    UpdaterScope& operator=(const UpdaterScope&) = delete;
};

struct Connection {
    std::mutex mutex;
    DbPtr db;
    FileId id;
    std::chrono::steady_clock::time_point busySince;
    std::minstd_rand jitter{
        static_cast<unsigned>(::getpid()) ^
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())};
};

// Writers hold the lock for well under a millisecond; SQLite's own handler sleeps whole
// milliseconds and more, so short randomised naps keep several processes moving.
int busyHandler(void* context, int count)
{
    auto* conn = static_cast<Connection*>(context);
    const auto now = std::chrono::steady_clock::now();
    if (count == 0)
        conn->busySince = now;
    if (now - conn->busySince > kBusyTimeout)
        return 0;
    const int base = 20 << std::min(count, 6);
    const int micros = std::min(base, 1000) + int(conn->jitter() % 200);
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
    return 1;
}

enum class Access {
    Read,    // never creates the hive file
    Modify,  // writes to an existing hive only (deletions)
    Write,   // creates the hive file as needed
};

enum class OpenResult { Ok, Missing, Unavailable, Busy };

} // namespace

struct Store::Impl {
    std::mutex mutex;  // guards the maps below, never held while SQLite works
    std::map<std::string, std::shared_ptr<Connection>> connections;
    std::set<std::string> checked;  // files that passed quick_check in this process
    std::set<std::string> warned;   // files we already complained about

    using Body = std::function<Status(sqlite3*)>;
    Status run(Hive hive, Access access, const Body& body);

private:
    std::shared_ptr<Connection> slot(const std::string& path);
    OpenResult open(Connection& conn, Hive hive, const std::string& path, Access access);
    int connect(Connection& conn, const std::string& path, bool readOnly, bool immutable);
    OpenResult unavailable(const std::string& path, const std::string& reason);
    int configure(Connection& conn, const std::string& path, bool readOnly);
    bool damaged(Connection& conn, const std::string& path);
    void warnOnce(const std::string& path, const std::string& line);
};

namespace {

fs::path hiveFile(Hive hive)
{
    switch (hive) {
    case Hive::CurrentUser: return paths::userHiveFile();
    case Hive::LocalMachine: return paths::machineHiveFile();
    case Hive::ClassesRoot: return paths::classesHiveFile();
    }
    return {};
}

bool prepareDirectory(const fs::path& file)
{
    const fs::path dir = file.parent_path();
    if (dir.empty())
        return true;
    if (dir == paths::userConfigDir())
        return paths::ensurePrivateDir(dir);
    std::error_code ec;
    fs::create_directories(dir, ec);
    return !ec;
}

} // namespace

std::shared_ptr<Connection> Store::Impl::slot(const std::string& path)
{
    std::lock_guard lock(mutex);
    auto& conn = connections[path];
    if (!conn)
        conn = std::make_shared<Connection>();
    return conn;
}

void Store::Impl::warnOnce(const std::string& path, const std::string& line)
{
    {
        std::lock_guard lock(mutex);
        if (!warned.insert(path).second)
            return;
    }
    warn(line);
}

// Sets the connection up and creates the schema; returns an SQLite result code.
int Store::Impl::configure(Connection& conn, const std::string& path, bool readOnly)
{
    sqlite3* db = conn.db.get();
    sqlite3_busy_handler(db, busyHandler, &conn);
    try {
        bool check;
        {
            std::lock_guard lock(mutex);
            check = !checked.count(path);
        }
        if (readOnly)
            exec(db, "PRAGMA schema_version");  // fails here when the log cannot be shared
        if (check) {
            Statement q(db, "PRAGMA quick_check");
            if (!q.step() || q.bytes(0) != "ok")
                return SQLITE_CORRUPT;
            std::lock_guard lock(mutex);
            checked.insert(path);
        }
        if (readOnly)
            return SQLITE_OK;
        exec(db, "PRAGMA journal_mode=WAL");
        exec(db, "PRAGMA synchronous=NORMAL");
        Statement version(db, "PRAGMA user_version");
        if (version.step() && version.integer(0) >= kSchemaVersion)
            return SQLITE_OK;
        RollbackGuard guard{db};
        exec(db, "BEGIN IMMEDIATE");
        exec(db, "CREATE TABLE IF NOT EXISTS keys(folded BLOB NOT NULL PRIMARY KEY,"
                 " parent BLOB NOT NULL, name BLOB NOT NULL) WITHOUT ROWID;"
                 "CREATE INDEX IF NOT EXISTS keys_by_parent ON keys(parent, folded);"
                 "CREATE TABLE IF NOT EXISTS vals(key BLOB NOT NULL, folded BLOB NOT NULL,"
                 " name BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL,"
                 " PRIMARY KEY(key, folded));"
                 "PRAGMA user_version=" + std::to_string(kSchemaVersion));
        exec(db, "COMMIT");
        return SQLITE_OK;
    } catch (const SqlError& e) {
        return e.rc;
    }
}

// Sets a damaged hive aside (unless another process already did); false when it had to stay.
bool Store::Impl::damaged(Connection& conn, const std::string& path)
{
    conn.db.reset();
    if (fileId(path) != conn.id)
        return true;
    const std::string kept = setAside(path);
    if (kept.empty()) {
        warnOnce(path, "settings file " + path + " is damaged and could not be set aside (" +
                           std::strerror(errno) + "); using defaults, changes are not saved");
        return false;
    }
    warn("settings file " + path + " is damaged; kept as " + kept + ", starting afresh");
    std::lock_guard lock(mutex);
    checked.erase(path);
    return true;
}

OpenResult Store::Impl::unavailable(const std::string& path, const std::string& reason)
{
    warnOnce(path, "settings file " + path + " cannot be opened (" + reason +
                       "); using defaults, changes are not saved");
    return OpenResult::Unavailable;
}

// Opens the file and sets the connection up; returns an SQLite result code.
int Store::Impl::connect(Connection& conn, const std::string& path, bool readOnly, bool immutable)
{
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    std::string name = path;
    if (immutable) {
        flags |= SQLITE_OPEN_URI;
        name = "file:" + uriEscaped(path) + "?immutable=1";
    }
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
    conn.db.reset(raw);
    return rc == SQLITE_OK ? configure(conn, path, readOnly) : rc;
}

OpenResult Store::Impl::open(Connection& conn, Hive hive, const std::string& path, Access access)
{
    const auto allowed = [&](int mode) {
        return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0;
    };
    for (int round = 0; round < 3 && !conn.db; ++round) {
        bool readOnly = false;
        if (!allowed(F_OK)) {
            if (errno != ENOENT)
                return unavailable(path, std::strerror(errno));
            if (access != Access::Write)
                return OpenResult::Missing;
            if (!prepareDirectory(path))
                return OpenResult::Unavailable;
            // Made here because SQLite would create it world-readable: a user's settings are
            // private, the machine's are read by every user.
            const mode_t mode = hive == Hive::LocalMachine ? 0644 : 0600;
            const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, mode);
            if (fd < 0)
                return OpenResult::Unavailable;
            ::close(fd);
        } else if (!allowed(R_OK)) {
            return unavailable(path, std::strerror(errno));
        } else if (!allowed(W_OK)) {
            // A machine hive is readable by every user but written by the administrator only.
            readOnly = true;
        }
        const auto id = fileId(path);
        if (!id)
            continue;
        conn.id = *id;
        int rc = connect(conn, path, readOnly, false);
        // Reading a logged database needs its shared-memory file, which a user without write
        // access to the directory cannot create; the administrator's last writer has folded
        // the log into the file, so reading the file alone is enough.
        if (readOnly && ((rc & 0xFF) == SQLITE_READONLY || (rc & 0xFF) == SQLITE_CANTOPEN))
            rc = connect(conn, path, true, true);
        if (rc == SQLITE_OK)
            return OpenResult::Ok;
        if (isDamage(rc)) {
            if (!damaged(conn, path))
                return OpenResult::Unavailable;
            continue;
        }
        conn.db.reset();
        if (isBusy(rc))
            return OpenResult::Busy;
        // Another process may have just set a damaged file aside: look again.
        if (!fileId(path))
            continue;
        return unavailable(path, sqlite3_errstr(rc));
    }
    return conn.db ? OpenResult::Ok : OpenResult::Unavailable;
}

Status Store::Impl::run(Hive hive, Access access, const Body& body)
{
    if (tInsideUpdater)
        return Status::Failed;
    try {
        const std::string path = hiveFile(hive).string();
        if (path.empty())
            return Status::Failed;
        const auto conn = slot(path);
        std::lock_guard lock(conn->mutex);
        const auto deadline = std::chrono::steady_clock::now() + kGiveUpAfter;
        const auto backOff = [&] {
            std::this_thread::sleep_for(std::chrono::microseconds(500 + conn->jitter() % 2000));
            return std::chrono::steady_clock::now() < deadline;
        };
        for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
            switch (open(*conn, hive, path, access)) {
            case OpenResult::Missing: return Status::NotFound;
            case OpenResult::Unavailable: return Status::Failed;
            case OpenResult::Busy:
                if (!backOff())
                    return Status::Failed;
                continue;
            case OpenResult::Ok: break;
            }
            sqlite3* db = conn->db.get();
            try {
                RollbackGuard guard{db};
                if (access != Access::Read)
                    exec(db, "BEGIN IMMEDIATE");
                const Status status = body(db);
                if (access != Access::Read)
                    exec(db, "COMMIT");
                return status;
            } catch (const SqlError& e) {
                if (isDamage(e.rc)) {
                    if (!damaged(*conn, path))
                        return Status::Failed;
                    continue;
                }
                if (!isBusy(e.rc) || !backOff())
                    return Status::Failed;
            }
        }
        return Status::Failed;
    } catch (...) {
        return Status::Failed;
    }
}

// ---------------------------------------------------------------------------------------------
// Store

Store::Store() : d(std::make_unique<Impl>()) {}
Store::~Store() = default;

Store& Store::instance()
{
    static Store store;
    return store;
}

void Store::closeAll()
{
    std::lock_guard lock(d->mutex);
    d->connections.clear();
}

bool Store::keyExists(Hive hive, std::string_view path)
{
    const std::string key = normalizeKeyPath(path);
    if (key.empty())
        return true;
    bool found = false;
    d->run(hive, Access::Read, [&](sqlite3* db) {
        found = Statement(db, "SELECT 1 FROM keys WHERE folded = ?1").bind(1, fold(key)).step();
        return Status::Ok;
    });
    return found;
}

std::optional<Value> Store::value(Hive hive, std::string_view path, std::string_view name)
{
    const std::string key = normalizeKeyPath(path);
    std::optional<Value> result;
    d->run(hive, Access::Read, [&](sqlite3* db) {
        result = readValue(db, key, name);
        return Status::Ok;
    });
    return result;
}

Status Store::createKey(Hive hive, std::string_view path)
{
    const std::string key = normalizeKeyPath(path);
    if (key.empty())
        return Status::Ok;
    return d->run(hive, Access::Write, [&](sqlite3* db) {
        ensureKey(db, key);
        return Status::Ok;
    });
}

Status Store::setValue(Hive hive, std::string_view path, std::string_view name, const Value& value)
{
    const std::string key = normalizeKeyPath(path);
    return d->run(hive, Access::Write, [&](sqlite3* db) {
        writeValue(db, key, name, value);
        return Status::Ok;
    });
}

Status Store::updateValue(Hive hive, std::string_view path, std::string_view name,
                          const Updater& update)
{
    const std::string key = normalizeKeyPath(path);
    return d->run(hive, Access::Write, [&](sqlite3* db) {
        const std::optional<Value> current = readValue(db, key, name);
        std::optional<Value> next;
        {
            const UpdaterScope scope;
            next = update(current);
        }
        if (next)
            writeValue(db, key, name, *next);
        return Status::Ok;
    });
}

Status Store::deleteValue(Hive hive, std::string_view path, std::string_view name)
{
    const std::string key = normalizeKeyPath(path);
    return d->run(hive, Access::Modify, [&](sqlite3* db) {
        Statement(db, "DELETE FROM vals WHERE key = ?1 AND folded = ?2")
            .bind(1, fold(key))
            .bind(2, fold(name))
            .step();
        return sqlite3_changes(db) ? Status::Ok : Status::NotFound;
    });
}

Status Store::deleteKey(Hive hive, std::string_view path)
{
    const std::string key = normalizeKeyPath(path);
    if (key.empty())
        return Status::Failed;  // the hive root cannot go
    const std::string folded = fold(key);
    // Descendants are exactly the paths in [key + '\', key + ']'): ']' follows '\' in ASCII.
    const std::string low = folded + '\\';
    const std::string high = folded + ']';
    return d->run(hive, Access::Modify, [&](sqlite3* db) {
        if (!Statement(db, "SELECT 1 FROM keys WHERE folded = ?1").bind(1, folded).step())
            return Status::NotFound;
        Statement(db, "DELETE FROM vals WHERE key = ?1").bind(1, folded).step();
        Statement(db, "DELETE FROM vals WHERE key >= ?1 AND key < ?2").bind(1, low).bind(2, high).step();
        Statement(db, "DELETE FROM keys WHERE folded = ?1").bind(1, folded).step();
        Statement(db, "DELETE FROM keys WHERE folded >= ?1 AND folded < ?2")
            .bind(1, low)
            .bind(2, high)
            .step();
        return Status::Ok;
    });
}

std::vector<std::string> Store::subkeys(Hive hive, std::string_view path)
{
    const std::string key = normalizeKeyPath(path);
    std::vector<std::string> names;
    d->run(hive, Access::Read, [&](sqlite3* db) {
        names.clear();
        Statement q(db, "SELECT name FROM keys WHERE parent = ?1 ORDER BY folded");
        q.bind(1, fold(key));
        while (q.step())
            names.push_back(q.bytes(0));
        return Status::Ok;
    });
    return names;
}

std::vector<NamedValue> Store::values(Hive hive, std::string_view path)
{
    const std::string key = normalizeKeyPath(path);
    std::vector<NamedValue> result;
    d->run(hive, Access::Read, [&](sqlite3* db) {
        result.clear();
        Statement q(db, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY folded");
        q.bind(1, fold(key));
        while (q.step())
            result.push_back({q.bytes(0), q.value(1, 2)});
        return Status::Ok;
    });
    return result;
}

} // namespace yv::settings
