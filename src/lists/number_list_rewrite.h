#pragma once

#include "lists/distinct_keys.h"
#include "lists/text_column.h"

#include <QString>

#include <functional>
#include <string>

// The phone list rewritten as people want it: its numbers tidied, or its duplicates across
// layouts removed. Each new column is built a row at a time beside the old one, so the caller
// can let window events run between rows and give up at any row with the list untouched.

// What tidying found: the numbers it changed, and the texts it left as they were, by why.
struct TidyCounts {
    qsizetype tidied = 0;
    qsizetype letters = 0;
    qsizetype extensions = 0;
    qsizetype empty = 0;  // nothing but blanks and invisible characters
    qsizetype other = 0;
    qsizetype leftAsTheyWere() const { return letters + extensions + empty + other; }
};

class TidiedRows {
public:
    // Adds the row's text tidied, or as it is when it is not a number written with punctuation.
    void add(const TextColumn& texts, qsizetype row);
    const TidyCounts& counts() const { return counts_; }
    TextColumn take() { return std::move(out_); }

private:
    void addWide(QStringView text);

    TextColumn out_;
    TidyCounts counts_;
    // Reused from row to row, so tidying allocates nothing per number.
    std::string digits_;
    QString wide_;
    QString wideDigits_;
};

// Keeps the first row of each number, however it is written, and of each other text.
class DistinctRows {
public:
    // Room for the rows to come, so the set of keys is laid out once; its memory is taken a
    // slice at a time, with between() after each.
    DistinctRows(const TextColumn& texts, const std::function<void()>& between);
    // Adds the row unless a row with the same key came before it.
    void add(const TextColumn& texts, qsizetype row);
    qsizetype removed() const { return removed_; }
    TextColumn take() { return std::move(out_); }

private:
    TextColumn out_;
    DistinctKeys seen_;
    qsizetype removed_ = 0;
    std::string key_;
    QString wide_;
};

// The sentences the window shows when each has ended, counts grouped as the locale groups them.
QString TidyReport(const TidyCounts& counts);
QString DuplicatesReport(qsizetype removed);
