// The report dialog: the title block and the shaft-check settings, then the report as PDF, as Word or on
// paper.
#pragma once

#include "core/book/calculation_book.h"
#include "core/report/report_settings.h"
#include "gui/work_runner.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;

namespace saxolith
{

class ResultScreen;

// The settings as the user last left them; the defaults the first time.
ReportSettings loadReportSettings();
void saveReportSettings(const ReportSettings &settings);

// The settings in force in `widget`'s window: those of its open project, otherwise the user's.
ReportSettings reportSettingsFor(const QWidget *widget);
// Keeps them where reportSettingsFor finds them: in the open project (unsaved until it is saved),
// otherwise among the user's settings.
void keepReportSettings(const QWidget *widget, const ReportSettings &settings);

class ReportDialog : public QDialog
{
    Q_OBJECT
  public:
    // `book` outlives the dialog, which is modal: the book does not change while it is open.
    ReportDialog(const CalculationBook &book, QWidget *parent = nullptr);

    ReportSettings settings() const;
    // `settings` with the report's language: the window's, or both when the dialog asks for both.
    ReportSettings inLanguage(ReportSettings settings) const;
    void setSettings(const ReportSettings &settings);

    QLineEdit *led_projectName = nullptr;
    QLineEdit *led_projectNumber = nullptr;
    QLineEdit *led_subItem = nullptr;
    QLineEdit *led_designUnit = nullptr;
    QLineEdit *led_designer = nullptr;
    QLineEdit *led_checker = nullptr;
    QLineEdit *led_reviewer = nullptr;
    QLineEdit *led_approver = nullptr;
    QLineEdit *led_lead = nullptr;
    QLineEdit *led_reportNumber = nullptr;
    QLineEdit *led_date = nullptr;
    QComboBox *cbb_stage = nullptr; // editable: a stage of the list or as typed
    QComboBox *cbb_concreteGrade = nullptr;
    QComboBox *cbb_pileType = nullptr; // editable
    QDoubleSpinBox *dsb_psiC = nullptr;
    QDoubleSpinBox *dsb_gamma = nullptr;
    QPushButton *cbt_exportPdf = nullptr;
    QPushButton *cbt_exportWord = nullptr;
    QPushButton *cbt_print = nullptr;
    QPushButton *cbt_close = nullptr;

    void exportPdf();
    void exportWord();
    void print();

    // The progress of making and writing a report, with its cancel button.
    ProgressDialogDisplay &progressDisplay() { return *m_progress; }

  signals:
    // A file was written (or failed: `error` says why); a cancelled export tells nothing.
    void exportFinished(const QString &path, const QString &error);

  private:
    enum class Format { Pdf, Word };
    void exportAs(Format format);
    void setBusy(bool busy);

    const CalculationBook &m_book;
    // Making and writing the report run off the window's thread.
    WorkRunner m_runner;
    ProgressDialogDisplay *m_progress = nullptr;
};

// Adds 报告… (Ctrl+R) to the result screen's book areas, disabled while the book is empty.
void installReportCommand(ResultScreen *screen);

} // namespace saxolith
