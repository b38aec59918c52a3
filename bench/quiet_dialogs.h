#pragma once
// The benchmarks' dialogs: faults counted instead of message boxes opened.

#include "app/user_dialogs.h"

class QuietDialogs : public UserDialogs
{
public:
    int errors = 0;
    QString openFileName(QWidget*, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    bool confirmReplace(QWidget*, const QString&) override { return false; }
    void showError(QWidget*, const QString&) override { ++errors; }
};
