#pragma once

#include "UserDialogs.h"

// Passes every question on to another seam and knows whether one is open, so that work
// arriving from outside (a second copy's hand-off) can wait until the user has answered.
class TrackedDialogs : public UserDialogs {
public:
    explicit TrackedDialogs(UserDialogs& inner) : inner_(inner) {}

    bool isOpen() const { return depth_ > 0; }
    // The program is ending with nobody to answer (a logout): from now on every question is
    // answered at once as a cancelled box would be, and every text goes only to the log.
    void endInteraction() { ended_ = true; }

    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool askYesNo(const QString& text, BoxKind kind = BoxKind::Question) override;
    bool askRetryCancel(const QString& text, BoxKind kind = BoxKind::Warning) override;
    std::optional<QString> askText(const QString& caption, const QString& prompt,
                                   const QString& defaultText) override;
    std::optional<QString> chooseFolder(const QString& prompt, const QString& startFolder) override;
    std::optional<QString> chooseFile(const QString& caption, const QStringList& filters,
                                      const QString& startPath) override;

private:
    template <typename Ask, typename Answer>
    auto tracked(const QString& text, Ask ask, Answer cancelled) {
        if (ended_) {
            logUnasked(text);
            return cancelled;
        }
        ++depth_;
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{depth_};
        return ask();
    }

    static void logUnasked(const QString& text);

    UserDialogs& inner_;
    int depth_ = 0;
    bool ended_ = false;
};
