#pragma once
// The modal dialogs the window asks the user through. Tests put a scripted
// stand-in in place of the standard ones.

#include <QString>

class QWidget;

class UserDialogs
{
public:
    virtual ~UserDialogs() = default;
    // The chosen path, or an empty string when the user cancels.
    virtual QString openFileName(QWidget* parent, const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    // Asked before a file the save dialog did not name is replaced.
    virtual bool confirmReplace(QWidget* parent, const QString& path) = 0;
    // The standard critical message box.
    virtual void showError(QWidget* parent, const QString& message) = 0;
};

class StandardDialogs : public UserDialogs
{
public:
    QString openFileName(QWidget* parent, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& filter,
                         const QString& defaultSuffix) override;
    bool confirmReplace(QWidget* parent, const QString& path) override;
    void showError(QWidget* parent, const QString& message) override;
};

// "KORVAL 2 (*.kv2)|*.kv2" (description, bar, pattern) as a Qt name filter.
QString qtNameFilter(const QString& descriptionAndPattern);
