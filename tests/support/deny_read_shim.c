// Preloaded into a program under test (LD_PRELOAD): every SQLite connection
// it opens on a file named PELMAR_DENY_FILE (default Pelmar.db) gets an
// authorizer that refuses, as the engine refuses a read it cannot do, the
// reads of the table PELMAR_DENY_READ, or every read of the one statement
// whose text hashes to PELMAR_DENY_SQL. Each read is appended to
// PELMAR_DENY_LOG as "read TABLE HASH SQL" and each refusal as
// "denied TABLE HASH", so that a test knows which statements a command
// prepares and whether it met the refusal at all.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

static void note(const char* what, const char* table, const char* hash, const char* sql)
{
    const char* path = getenv("PELMAR_DENY_LOG");
    if (!path || !*path)
        return;
    FILE* f = fopen(path, "a");
    if (!f)
        return;
    fprintf(f, "%s %s %s %s\n", what, table, hash, sql);
    fclose(f);
}

static __thread unsigned long long current_sql;
static __thread char current_text[120];

static unsigned long long hash_of(const void* sql, int bytes, int wide)
{
    // FNV-1a over the statement's text up to its end, in its own encoding.
    const unsigned char* p = (const unsigned char*)sql;
    unsigned long long h = 1469598103934665603ULL;
    for (int i = 0; bytes < 0 ? (wide ? (p[i] || p[i + 1]) : p[i] != 0) : i < bytes; ++i) {
        h ^= p[i];
        h *= 1099511628211ULL;
        if (wide && bytes < 0) {
            ++i;
            h ^= p[i];
            h *= 1099511628211ULL;
        }
    }
    return h;
}

static void begin_statement(const void* sql, int bytes, int wide)
{
    current_sql = sql ? hash_of(sql, bytes, wide) : 0;
    current_text[0] = 0;
    if (!sql)
        return;
    // The text for the log: ASCII of either encoding, other characters as '?'.
    const unsigned char* s = (const unsigned char*)sql;
    const int step = wide ? 2 : 1;
    int n = 0;
    for (int i = 0; n < (int)sizeof current_text - 1 && (bytes < 0 || i < bytes); i += step) {
        const unsigned c = wide ? s[i] | s[i + 1] << 8 : s[i];
        if (!c)
            break;
        current_text[n++] = c == '\n' || c == '\t' ? ' ' : c < 128 ? (char)c : '?';
    }
    current_text[n] = 0;
}

static int authorize(void* unused, int action, const char* table, const char* column,
                     const char* database, const char* trigger)
{
    (void)unused;
    (void)column;
    (void)trigger;
    if (action != SQLITE_READ || !table || (database && strcmp(database, "main") != 0))
        return SQLITE_OK;
    if (strncmp(table, "sqlite_", 7) == 0)
        return SQLITE_OK;
    char hash[32];
    snprintf(hash, sizeof hash, "%016llx", current_sql);
    const char* deny = getenv("PELMAR_DENY_READ");
    const char* denySql = getenv("PELMAR_DENY_SQL");
    if ((deny && strcasecmp(deny, table) == 0) || (denySql && strcmp(denySql, hash) == 0)) {
        note("denied", table, hash, "");
        return SQLITE_DENY;
    }
    note("read", table, hash, current_text);
    return SQLITE_OK;
}

static int watched(const char* filename)
{
    const char* name = getenv("PELMAR_DENY_FILE");
    if (!name || !*name)
        name = "Pelmar.db";
    if (!filename)
        return 0;
    const char* slash = strrchr(filename, '/');
    return strcmp(slash ? slash + 1 : filename, name) == 0;
}

int sqlite3_open_v2(const char* filename, sqlite3** db, int flags, const char* vfs)
{
    typedef int (*open_fn)(const char*, sqlite3**, int, const char*);
    static open_fn real;
    if (!real)
        real = (open_fn)dlsym(RTLD_NEXT, "sqlite3_open_v2");
    const int rc = real(filename, db, flags, vfs);
    if (rc == SQLITE_OK && db && *db && watched(filename))
        sqlite3_set_authorizer(*db, authorize, NULL);
    return rc;
}

int sqlite3_open(const char* filename, sqlite3** db)
{
    return sqlite3_open_v2(filename, db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, NULL);
}

#define WRAP_PREPARE(name, text_type, wide)                                                   \
    int name(sqlite3* db, const text_type* sql, int bytes, sqlite3_stmt** stmt,             \
             const text_type** tail)                                                         \
    {                                                                                        \
        typedef int (*fn)(sqlite3*, const text_type*, int, sqlite3_stmt**, const text_type**); \
        static fn real;                                                                      \
        if (!real)                                                                           \
            real = (fn)dlsym(RTLD_NEXT, #name);                                              \
        begin_statement(sql, bytes, wide);                                                   \
        return real(db, sql, bytes, stmt, tail);                                             \
    }

WRAP_PREPARE(sqlite3_prepare, char, 0)
WRAP_PREPARE(sqlite3_prepare_v2, char, 0)
WRAP_PREPARE(sqlite3_prepare16, void, 1)
WRAP_PREPARE(sqlite3_prepare16_v2, void, 1)

#define WRAP_PREPARE_V3(name, text_type, wide)                                                \
    int name(sqlite3* db, const text_type* sql, int bytes, unsigned int flags,              \
             sqlite3_stmt** stmt, const text_type** tail)                                    \
    {                                                                                        \
        typedef int (*fn)(sqlite3*, const text_type*, int, unsigned int, sqlite3_stmt**,      \
                          const text_type**);                                                \
        static fn real;                                                                      \
        if (!real)                                                                           \
            real = (fn)dlsym(RTLD_NEXT, #name);                                              \
        begin_statement(sql, bytes, wide);                                                   \
        return real(db, sql, bytes, flags, stmt, tail);                                      \
    }

WRAP_PREPARE_V3(sqlite3_prepare_v3, char, 0)
WRAP_PREPARE_V3(sqlite3_prepare16_v3, void, 1)
