#pragma once
// The layout of the line history file and the steps that bring an older file up to date.

#include <QString>

class QSqlDatabase;

namespace vantrel::history {

namespace HistorySchema {

// The version a file of this program has (its user_version); each step below raises it by one.
constexpr int Version = 3;
// The file's application_id: tells the history file from other SQLite files.
constexpr int ApplicationId = 0x56544c48;
// Stored samples are summed up by quarter hours (seconds), and the quarters again by blocks of
// four hours, which a graph of months reads.
constexpr int QuarterSecs = 900;
constexpr int BlockSecs = 4 * 3600;

// The columns of a quarter or block: lo_, av_ and hi_ of every figure, in order.
QString SummaryColumns();
// Their values summed up from quarters (a SELECT list over the summary table's columns).
QString SumsOfQuarters();

// Brings db from version `from` to version `to` (at most Version), one step per transaction,
// so an interrupted migration leaves the file at the last finished step. An empty database
// is version 0. False, with the reason, when a step failed.
bool Migrate(QSqlDatabase &db, int from, int to, QString *error);

} // namespace HistorySchema

} // namespace vantrel::history
