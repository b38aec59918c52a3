#pragma once
// « Carte… »: the whole image for a full-chip programmer, and « Programmer »,
// which runs the owner's write command on the window's current table, then
// his read command, and says whether the board holds that table. Built from
// the board's table of controls (boardControls). The programmer runs on a
// thread of its own, so that the window stays responsive and its output
// shows as it comes; the two commands are kept in the user's settings.

#include "form/board_programmer.h"
#include "form/board_texts.h"

#include <QDialog>
#include <QString>

#include <map>
#include <memory>
#include <thread>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TForm1;

namespace korval::files
{
class NativeBoardSystem;
}

// The commands as the user last typed them (QSettings, organisation
// "korvalset24"), never taken from a file or the command line.
struct BoardCommands {
    QString write;
    QString read;
};
BoardCommands rememberedBoardCommands();
void rememberBoardCommands(const BoardCommands& commands);

class BoardDialog : public QDialog
{
    Q_OBJECT
public:
    explicit BoardDialog(TForm1& form);
    // A run still going is stopped and waited for.
    ~BoardDialog() override;

    QWidget* control(korval::BoardControlId id) const { return m_controls.at(id); }
    bool running() const { return m_worker.joinable(); }

    void chooseFirmware();
    void writeWholeImage();
    void program();
    void stop();

public slots:
    // Esc and « Fermer »: a run is stopped first, the dialog closes once it ended.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* edit(korval::BoardControlId id) const;
    QPushButton* button(korval::BoardControlId id) const;
    void showEnabled();
    void showNote();
    void append(const QString& text); // at the end of the output, as it comes
    void finished(const korval::BoardReport& report);
    void keepCommands();

    TForm1& m_form;
    std::map<korval::BoardControlId, QWidget*> m_controls;
    QPlainTextEdit* m_output = nullptr;
    std::unique_ptr<korval::files::NativeBoardSystem> m_system;
    std::thread m_worker;
    bool m_closeWhenDone = false;
};

// Opens a fresh dialog over the window, modal to it but without blocking the
// caller, as « Monture… » does. It deletes itself when closed.
BoardDialog* openBoardDialog(TForm1& form);
