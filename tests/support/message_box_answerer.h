#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

// Accepts each message box as soon as it is up, however deep the event loop that shows it, and
// keeps its text in told; the timer belongs to owner and ends with it.
inline void AcceptEachMessageBox(QObject* owner, QString& told)
{
    auto* answerer = new QTimer(owner);
    QObject::connect(answerer, &QTimer::timeout, [&told] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            told = box->text();
            box->accept();
        }
    });
    answerer->start(1);
}
