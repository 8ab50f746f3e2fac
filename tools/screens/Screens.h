#pragma once
// The screens tool: every window, dialog, sheet page and front-panel control
// rendered offscreen to OUTDIR/<Class>[-variant].png.
//
// Each window adds one file here with a block such as
//
//   QORIN_SCREENS(VkWindows)
//   {
//       CVKMeasuredValues panel;
//       panel.resize(800, 400);
//       shot.save(&panel, QStringLiteral("CVKMeasuredValues-state0"));
//   }
//
// The blocks run in name order on the GUI thread of one QApplication, with
// settings of their own in a temporary folder (never the user's).
#include <QImage>
#include <QString>
#include <QStringList>

class QWidget;

namespace screens {

class Shot {
public:
    explicit Shot(QString outDir);

    // Shows the widget offscreen (so layouts settle), renders it and writes
    // OUTDIR/name.png. A top-level widget keeps its size; call resize first.
    void save(QWidget* widget, const QString& name);
    // Writes an image drawn some other way (a printed page, a painter pass).
    void saveImage(const QImage& image, const QString& name);

    // The running group's own scratch folder for fixture files; removed
    // when the tool ends.
    QString scratchDir() const;
    // Names written so far.
    const QStringList& written() const { return m_written; }
    // A failure of one entry is reported and the tool exits non-zero.
    void fail(const QString& what);
    int failures() const { return m_failures; }

private:
    QString m_outDir;
    QStringList m_written;
    int m_failures = 0;
};

using EntryFn = void (*)(Shot&);

struct Register {
    Register(const char* group, EntryFn fn);
};

} // namespace screens

#define QORIN_SCREENS(group)                                                   \
    static void qorinScreens_##group(screens::Shot& shot);                      \
    static const screens::Register qorinScreensReg_##group(#group,              \
                                                           &qorinScreens_##group); \
    static void qorinScreens_##group([[maybe_unused]] screens::Shot& shot)
