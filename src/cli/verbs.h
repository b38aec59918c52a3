#pragma once
// One function per verb: the verb's own arguments in, the exit status out.

#include <QStringList>

namespace cli
{

int runDefaults(const QStringList& arguments);
int runShow(const QStringList& arguments);
int runSet(const QStringList& arguments);
int runSearch(const QStringList& arguments);
int runHex(const QStringList& arguments);
int runImportHex(const QStringList& arguments);
int runDiff(const QStringList& arguments);
int runCheck(const QStringList& arguments);
int runMonture(const QStringList& arguments);

} // namespace cli
