#include "files/desktop/letterhead_page.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/desktop/program_font.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

LetterheadPage::LetterheadPage(QWidget* parent, const ReportLetterhead& current) : QWidget(parent) {
    setObjectName("letterheadPage");
    setFont(programFont(13));
    setMinimumSize(400, 190);
    struct Row {
        const char* label;
        const char* name;
        QLineEdit** edit;
        const std::string* value;
    };
    const Row rows[] = {{"供应商名称:", "supplierEdit", &supplier_, &current.supplierName},
                        {"网址:", "webEdit", &web_, &current.webAddress},
                        {"服务热线:", "hotlineEdit", &hotline_, &current.hotline},
                        {"电子邮件:", "emailEdit", &email_, &current.email}};
    int y = 20;
    for (const Row& r : rows) {
        auto* label = new QLabel(r.label, this);
        label->setGeometry(20, y, 90, 24);
        auto* edit = new QLineEdit(qs(*r.value), this);
        edit->setObjectName(r.name);
        edit->setGeometry(115, y, 265, 24);
        edit->setMaxLength(static_cast<int>(kLetterheadMaxChars));
        *r.edit = edit;
        y += 34;
    }
    auto* note = new QLabel("打印报告时用于页眉和页脚；留空的项目不打印。", this);
    note->setGeometry(20, y + 4, 360, 24);
}

ReportLetterhead LetterheadPage::entries() const {
    return {cleanLetterheadEntry(supplier_->text().toStdString()), cleanLetterheadEntry(web_->text().toStdString()),
            cleanLetterheadEntry(hotline_->text().toStdString()), cleanLetterheadEntry(email_->text().toStdString())};
}

bool LetterheadPage::apply(ReportLetterhead& letterhead, const std::string& path, Prompts& prompts) {
    const ReportLetterhead entered = entries();
    if (!writeLetterhead(path, entered)) {
        prompts.message("错误", "无法保存报告抬头到‘" + path + "’文件", PromptIcon::Error);
        return false;
    }
    letterhead = entered;
    return true;
}

bool runLetterheadDialog(QWidget* parent, ReportLetterhead& letterhead, const std::string& path, Prompts& prompts) {
    QDialog dialog(parent);
    dialog.setObjectName("letterheadDialog");
    dialog.setWindowTitle("报告抬头");
    dialog.setFixedSize(400, 250);
    auto* page = new LetterheadPage(&dialog, letterhead);
    page->setGeometry(0, 0, 400, 200);
    auto* ok = new QPushButton("确定", &dialog);
    ok->setObjectName("okButton");
    ok->setGeometry(190, 210, 90, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton("取消", &dialog);
    cancel->setObjectName("cancelButton");
    cancel->setGeometry(290, 210, 90, 28);
    bool changed = false;
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        if (page->apply(letterhead, path, prompts)) {
            changed = true;
            dialog.accept();
        }
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    dialog.exec();
    return changed;
}

}  // namespace vespian
