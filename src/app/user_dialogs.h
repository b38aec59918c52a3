#pragma once
// The modal dialogs the window asks the user through. Tests put a scripted
// stand-in in place of the standard ones.

#include "form/form_model.h"

#include <QString>

class QWidget;

class UserDialogs
{
public:
    virtual ~UserDialogs() = default;
    // The chosen path, or an empty string when the user cancels. `filter`
    // lists the file types in Qt's form, ";;" between two (form_texts.h).
    virtual QString openFileName(QWidget* parent, const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    // The same with a name to propose, as after a HEX image; a stand-in that
    // does not look at it answers as saveFileName.
    virtual QString saveFileNameProposing(QWidget* parent, const QString& filter,
                                          const QString& defaultSuffix, const QString& proposed)
    {
        (void)proposed;
        return saveFileName(parent, filter, defaultSuffix);
    }
    // Asked before a file the save dialog did not name is replaced.
    virtual bool confirmReplace(QWidget* parent, const QString& path) = 0;
    // The standard critical message box.
    virtual void showError(QWidget* parent, const QString& message) = 0;
    // « Enregistrer », « Ne pas enregistrer » or « Annuler » before unsaved
    // changes would be lost; a stand-in that does not ask lets them go.
    virtual korval::FormView::SaveChoice askSaveChanges(QWidget* parent, const QString& question)
    {
        (void)parent;
        (void)question;
        return korval::FormView::SaveChoice::Discard;
    }
    // « Oui » or « Non » (the default) before a file without the form of a
    // parameter file is read; a stand-in that does not ask opens it.
    virtual bool askOpenAnyway(QWidget* parent, const QString& question)
    {
        (void)parent;
        (void)question;
        return true;
    }
    // A note after an action that went well, as an information box.
    virtual void showNote(QWidget* parent, const QString& message)
    {
        (void)parent;
        (void)message;
    }
    // The small dialog of the comparison with a file: the heading, the lines, « Copier »
    // and Ctrl+C, « Fermer ».
    virtual void showComparison(QWidget* parent, const korval::FileComparison& comparison)
    {
        (void)parent;
        (void)comparison;
    }
};

class StandardDialogs : public UserDialogs
{
public:
    QString openFileName(QWidget* parent, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& filter,
                         const QString& defaultSuffix) override;
    bool confirmReplace(QWidget* parent, const QString& path) override;
    void showError(QWidget* parent, const QString& message) override;
    korval::FormView::SaveChoice askSaveChanges(QWidget* parent, const QString& question) override;
    bool askOpenAnyway(QWidget* parent, const QString& question) override;
    QString saveFileNameProposing(QWidget* parent, const QString& filter,
                                  const QString& defaultSuffix, const QString& proposed) override;
    void showNote(QWidget* parent, const QString& message) override;
    void showComparison(QWidget* parent, const korval::FileComparison& comparison) override;
};

// The comparison's dialog, built apart so that a test can look at it
// without running it.
class QDialog;
QDialog* makeComparisonDialog(QWidget* parent, const korval::FileComparison& comparison);
