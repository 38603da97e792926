#pragma once

// Driving the input box as a user does: a text dropped on its field, and the boxes it shows
// answered.

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>

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

// Drops text on the widget's middle, as a drag from another program ends there.
inline void DropText(QWidget* on, const QString& text)
{
    QMimeData data;
    data.setText(text);
    const QPoint at = on->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(on, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(on, &drop);
}
