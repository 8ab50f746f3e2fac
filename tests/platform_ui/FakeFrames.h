#pragma once

#include "platform/ui/Document.h"
#include "platform/ui/MdiFrame.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

// A document that answers to any class name and records what it was given.
class FakeDoc : public ui::CDocument {
public:
    static inline QString nextClassName = QStringLiteral("CFakeDoc");
    static inline bool nextOpens = true;

    FakeDoc() : m_className(nextClassName), m_opens(nextOpens) {}
    QString RuntimeClassName() const override { return m_className; }
    bool OnOpenDocument(const QString& path) override
    {
        openedPath = path;
        return m_opens;
    }
    void TakeDataControlBar(QWidget* bar) override { dataBars.push_back(bar); }

    QString openedPath;
    std::vector<QWidget*> dataBars;

private:
    QString m_className;
    bool m_opens;
};

struct Update {
    ui::CView* sender;
    std::intptr_t hint;
    void* object;
};

class FakeView : public ui::CView {
public:
    // The size the next views ask for; invalid: the widget's own.
    static inline QSize nextHint;

    FakeView() : m_hint(nextHint)
    {
        SetMessageHandler(platform::WM_VIEW_REFRESH, [this](std::uintptr_t, std::intptr_t) {
            ++refreshRequests;
            return 0;
        });
    }
    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override
    {
        updates.push_back({sender, hint, object});
    }
    QSize sizeHint() const override { return m_hint.isValid() ? m_hint : ui::CView::sizeHint(); }
    std::vector<Update> updates;
    int refreshRequests = 0;

private:
    QSize m_hint;
};

struct BarsCall {
    int mode;
    bool withGraph;
};

// Records the bar requests and the frame-UI messages of the child frames.
class FakeMainFrame : public ui::CMDIFrame {
public:
    FakeMainFrame()
    {
        SetMessageHandler(platform::WM_UPDATE_FRAME_UI, [this](std::uintptr_t w, std::intptr_t l) {
            frameUi.push_back({w, l});
            return 0;
        });
    }
    QWidget* ShowBarsForView(int mode, bool withGraph) override
    {
        bars.push_back({mode, withGraph});
        return &dataBar;
    }
    void OnActiveDocChanged() override { ++activeDocChanges; }

    QWidget dataBar;
    std::vector<BarsCall> bars;
    std::vector<std::pair<std::uintptr_t, std::intptr_t>> frameUi;
    int activeDocChanges = 0;
};
