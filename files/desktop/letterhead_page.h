#pragma once
// The letterhead of the printed reports: the supplier's name, web address, service hotline and
// e-mail, each one line. As a page for the settings dialog, or a dialog "报告抬头" of its own.

#include <QDialog>
#include <QWidget>

#include <string>

#include "files/report_letterhead.h"

class QLineEdit;

namespace vespian {

class Prompts;

class LetterheadPage : public QWidget {
    Q_OBJECT

public:
    LetterheadPage(QWidget* parent, const ReportLetterhead& current);

    ReportLetterhead entries() const;
    // Takes the entries and writes them to `path`; a file that cannot be written is said
    // (caption "错误") and false, the letterhead in memory then unchanged.
    bool apply(ReportLetterhead& letterhead, const std::string& path, Prompts& prompts);

    // Widgets by objectName: "supplierEdit", "webEdit", "hotlineEdit", "emailEdit".

private:
    QLineEdit* supplier_;
    QLineEdit* web_;
    QLineEdit* hotline_;
    QLineEdit* email_;
};

// The page in a dialog of its own with "确定" and "取消". True when the letterhead was changed.
bool runLetterheadDialog(QWidget* parent, ReportLetterhead& letterhead, const std::string& path, Prompts& prompts);

}  // namespace vespian
