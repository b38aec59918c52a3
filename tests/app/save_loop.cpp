// Saves through the real window again and again, alternating two values, until
// it is killed: the kill test's victim. Arguments: the folder, and optionally
// a number of saves after which it ends normally.

#include "app/tform1.h"
#include "app/user_dialogs.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace
{
class Answers : public UserDialogs
{
public:
    explicit Answers(QString path) : m_path(std::move(path)) {}
    QString openFileName(QWidget*, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return m_path; }
    bool confirmReplace(QWidget*, const QString&) override { return true; }
    void showError(QWidget*, const QString& message) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }

private:
    QString m_path;
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const long saves = argc > 2 ? std::atol(argv[2]) : -1;
    TForm1 form(std::make_unique<Answers>(QString::fromLocal8Bit(argv[1]) + "/monture.kv2"));
    form.show();
    std::fprintf(stderr, "ready\n");
    std::fflush(stderr);
    for (long i = 0; saves < 0 || i < saves; ++i) {
        form.writeText(form.form()->EditJeuAD, i % 2 ? "200" : "100");
        form.ButtonSauvegarderClick();
    }
    return 0;
}
