#pragma once

#include "audit/record.h"

#include <QByteArray>
#include <QHash>
#include <QSqlDatabase>
#include <QString>

#include <vector>

struct sqlite3_value;

// The rows of a guarded transaction, gathered in memory by the triggers and
// written together just before its commit: inside the audit library only.
namespace audit::detail {

// One changed row, as the engine gave its texts (UTF-8), kept in its
// group's arena: a bulk change of many lines allocates nothing per line.
struct Span
{
    qsizetype at = 0;
    qsizetype size = -1; // -1: null
};

struct Item
{
    Span key;
    Span institution; // or, under a head table, the head row's number
    Span oldValue;
    Span newValue;
};

// The changes of one action, table and field, in the order they came; or
// one row the program writes itself (audit::Record), alone.
struct Group
{
    QByteArray action;
    QByteArray table;
    QByteArray field;
    QByteArray instHead; // "Apt1"/"GroupAp1": the institution is that head row's
    std::vector<Item> items;
    QByteArray arena;
    bool alone = false;
    Change change; // when alone
};

struct Gather
{
    bool active = false;
    std::vector<Group> groups;
    QHash<QByteArray, size_t> index; // action, table, field → group
    size_t last = size_t(-1);
    void clear()
    {
        groups.clear();
        index.clear();
        last = size_t(-1);
    }
};

Gather& Gathering();

// Appends a stored value as the record shows it (whole amounts without
// ".0") to `arena`; a null span for NULL.
Span AppendShown(QByteArray& arena, ::sqlite3_value* value);
// The bytes of a span; `isNull` tells a null one.
QByteArray SpanBytes(const QByteArray& arena, Span span, bool* isNull = nullptr);

// Writes what was gathered, each group as one row (the changes of many rows
// kept in its Items, a single change as an ordinary row), in the order each
// group first came; then empties the list.
platform::Result<> WriteGathered(QSqlDatabase db);

} // namespace audit::detail
