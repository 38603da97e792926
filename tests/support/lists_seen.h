#pragma once

#include "window/form1.h"

#include <QStringList>

#include <ostream>

// What the user sees of the three lists: every text, the rules' patterns, the results' marks.
struct ListsSeen {
    QStringList phones;
    QStringList rules;
    QStringList results;
    bool operator==(const ListsSeen&) const = default;

    static ListsSeen Of(Form1& form)
    {
        ListsSeen seen;
        const ListModel& phones = form.ListView1->items();
        const ListModel& rules = form.ListView2->items();
        const ListModel& results = form.ListView3->items();
        for (qsizetype row = 0; row < phones.count(); ++row)
            seen.phones << phones.text(row);
        for (qsizetype row = 0; row < rules.count(); ++row)
            seen.rules << rules.text(row) + QLatin1Char('>') + rules.subItem(row, 1);
        for (qsizetype row = 0; row < results.count(); ++row)
            seen.results << results.text(row) + QLatin1Char('#')
                                + QString::number(static_cast<int>(results.mark(row)));
        return seen;
    }
};

inline void PrintTo(const ListsSeen& lists, std::ostream* out)
{
    *out << "phones [" << lists.phones.join(QLatin1Char('|')).toStdString() << "] rules ["
         << lists.rules.join(QLatin1Char('|')).toStdString() << "] results ["
         << lists.results.join(QLatin1Char('|')).toStdString() << "]";
}
