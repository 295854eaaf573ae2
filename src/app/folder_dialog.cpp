#include "folder_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace {

class FolderDialog : public QFileDialog {
public:
    FolderDialog(QWidget* parent, const QString& title, const QString& folder)
        : QFileDialog(parent, title, folder) {
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly);
        // The system's dialogs refuse a folder that does not exist; creating it is the caller's
        // question. Qt's own dialog is the same on every system and speaks its translations.
        setOption(QFileDialog::DontUseNativeDialog);
        // Qt greys the choosing button while the typed folder does not exist; a new folder is
        // a valid answer here. Connected after Qt's own update, so this one has the last word.
        auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (name && buttons)
            connect(name, &QLineEdit::textChanged, this, [buttons](const QString& text) {
                if (QPushButton* choose = buttons->button(QDialogButtonBox::Open))
                    if (!text.trimmed().isEmpty()) choose->setEnabled(true);
            });
    }
    QString chosen;

protected:
    void accept() override {
        const QStringList files = selectedFiles();
        const QString typed = files.isEmpty() ? QString() : files.first();
        if (!typed.isEmpty() && !QFileInfo::exists(typed)) {
            chosen = typed;
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
        if (result() == QDialog::Accepted) chosen = selectedFiles().value(0);
    }
};

} // namespace

std::optional<QString> chooseFolderOrNew(QWidget* parent, const QString& title,
                                         const QString& initialFolder) {
    FolderDialog dialog(parent, title, initialFolder);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.chosen);
}
