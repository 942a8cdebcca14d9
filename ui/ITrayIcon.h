#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>

// The notification-area icon as the window uses it; tests give a fake.
class ITrayIcon : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool IsAvailable() const = 0;
    // Shows the icon; false when the notification area refused it.
    virtual bool Add(const QIcon& icon, const QString& tip) = 0;
    virtual void Remove() = 0;
    virtual bool IsShown() const = 0;
    // A notification beside the icon, whether or not the icon is in the
    // notification area now.
    virtual void ShowMessage(const QIcon& icon, const QString& title, const QString& text) = 0;

signals:
    void LeftButtonUp();
    void RightButtonUp(const QPoint& globalPos);
    // The user clicked a notification.
    void MessageClicked();
};
