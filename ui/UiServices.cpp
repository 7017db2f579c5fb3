#include "ui/UiServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QMetaObject>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <mutex>

#include "resources/Resource.h"
#include "ui/UiLanguage.h"

namespace orvex {
namespace {

// Runs a function on the user-interface thread and waits for it.
template <typename Function>
auto OnUiThread(Function function) {
    using Result = decltype(function());
    if (!qApp || QThread::currentThread() == qApp->thread()) return function();
    Result result{};
    QMetaObject::invokeMethod(
        qApp, [&] { result = function(); }, Qt::BlockingQueuedConnection);
    return result;
}

// A filter in the platform's "Description|pattern|..." form, as Qt writes it.
QString QtFilter(const std::wstring& filter) {
    const QStringList parts = ToQString(filter).split('|', Qt::SkipEmptyParts);
    if (parts.size() < 2) return ToQString(filter);
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        entries << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    }
    return entries.join(";;");
}

class DesktopServices : public UiServices {
public:
    int MessageBox(const std::wstring& text, const std::wstring& caption, BoxIcon icon) override {
        return OnUiThread([&] {
            QMessageBox box(icon == BoxIcon::kQuestion  ? QMessageBox::Question
                            : icon == BoxIcon::kWarning ? QMessageBox::Warning
                                                        : QMessageBox::Information,
                            ToQString(caption), ToQString(text),
                            icon == BoxIcon::kQuestion ? QMessageBox::Ok | QMessageBox::Cancel
                                                       : QMessageBox::Ok);
            box.button(QMessageBox::Ok)->setText(UiLanguage::LoadQ(IDS_OK));
            if (icon == BoxIcon::kQuestion)
                box.button(QMessageBox::Cancel)->setText(UiLanguage::LoadQ(IDS_CANCEL));
            return box.exec() == QMessageBox::Ok ? kIdOk : kIdCancel;
        });
    }
    std::wstring SaveFileName(const std::wstring& initialName,
                              const std::wstring& filter) override {
        return OnUiThread([&] {
            QFileDialog dialog(nullptr, QString(), ToQString(initialName), QtFilter(filter));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
            dialog.selectFile(ToQString(initialName));
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return std::wstring();
            return FromQString(dialog.selectedFiles().first());
        });
    }
    std::wstring OpenFileName(const std::wstring& filter) override {
        return OnUiThread([&] {
            return FromQString(
                QFileDialog::getOpenFileName(nullptr, QString(), QString(), QtFilter(filter)));
        });
    }
    void ShellOpen(const std::string& target) override {
        QProcess::startDetached("xdg-open", {QString::fromLocal8Bit(target.c_str())});
    }
};

std::mutex g_lock;
std::shared_ptr<UiServices> g_services;

int Box(int textId, BoxIcon icon) {
    return UiServices::Current()->MessageBox(UiLanguage::Load(textId), UiLanguage::Load(IDS_PROMPT),
                                             icon);
}

}  // namespace

std::shared_ptr<UiServices> UiServices::Current() {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_services) g_services = std::make_shared<DesktopServices>();
    return g_services;
}

void UiServices::Install(std::shared_ptr<UiServices> services) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_services = std::move(services);
}

int InformationBox(int textId) {
    return Box(textId, BoxIcon::kInformation);
}
int WarningBox(int textId) {
    return Box(textId, BoxIcon::kWarning);
}
int ConfirmBox(int textId) {
    return Box(textId, BoxIcon::kQuestion);
}

}  // namespace orvex
