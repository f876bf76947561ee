#include "Prompts.h"

#include <atomic>
#include <cstdio>

namespace {

class StandardErrorPrompts final : public Prompts {
public:
    Answer ShowMessage(const Message& message) override {
        const QByteArray line =
            (message.caption + QStringLiteral(": ") + message.text.trimmed()).toLocal8Bit();
        std::fprintf(stderr, "%s\n", line.constData());
        return message.buttons == MessageButtons::Ok ? Answer::Ok : Answer::Cancel;
    }
    std::optional<QString> AskFileName(const FileDialogRequest&) override { return std::nullopt; }
};

StandardErrorPrompts g_standardError;
std::atomic<Prompts*> g_current{nullptr};

}  // namespace

int Prompts::RunDialog(QDialog&) {
    return 0;  // QDialog::Rejected: nobody there to fill it in
}

void Prompts::Notify(const QString& summary, const QString& body) {
    ShowMessage({QStringLiteral("Plenmar"), summary + QStringLiteral("\n\n") + body,
                 MessageButtons::Ok, MessageIcon::Information});
}

Prompts& CurrentPrompts() {
    Prompts* current = g_current.load();
    return current != nullptr ? *current : g_standardError;
}

Prompts* InstallPrompts(Prompts* prompts) {
    return g_current.exchange(prompts);
}
