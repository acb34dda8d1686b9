// Picking the exact picture: frame by frame both ways, Go To a frame or a time, and the
// picture on show copied to the clipboard. The moves belong to the transport, which the
// full-screen panel shares.

#include "app/frmmain.h"

#include "output/FrameImage.h"
#include "capture/FrameNumber.h"
#include "dialogs/frmgoto.h"

#include <QClipboard>
#include <QGuiApplication>

namespace kadrel {

void frmmain::buildFrameItems()
{
    mnucontrol->addSeparator()->setObjectName(QStringLiteral("sep9"));
    // Shift+F7/F8 beside the one-second moves; Ctrl+Left/Right stay with a text box that
    // has the focus, where they move the cursor by words.
    mnuprevframe = addItem(mnucontrol, "mnuprevframe", QStringLiteral("Pre&vious Frame"),
                           QKeySequence(Qt::SHIFT | Qt::Key_F7), &frmmain::mnuprevframe_Click);
    mnuprevframe->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F7),
                                QKeySequence(Qt::CTRL | Qt::Key_Left)});
    mnunextframe = addItem(mnucontrol, "mnunextframe", QStringLiteral("Ne&xt Frame"),
                           QKeySequence(Qt::SHIFT | Qt::Key_F8), &frmmain::mnunextframe_Click);
    mnunextframe->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F8),
                                QKeySequence(Qt::CTRL | Qt::Key_Right)});
    mnugoto = addItem(mnucontrol, "mnugoto", QStringLiteral("&Go To..."),
                      QKeySequence(Qt::CTRL | Qt::Key_G), &frmmain::mnugoto_Click);
    mnucopyframe = addItem(mnutools, "mnucopyframe", QStringLiteral("C&opy Frame"),
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                           &frmmain::mnucopyframe_Click);
    enableFrameItems(false);
}

void frmmain::enableFrameItems(bool on)
{
    for (QAction* item : {mnuprevframe, mnunextframe, mnugoto, mnucopyframe})
        item->setEnabled(on);
}

void frmmain::mnuprevframe_Click()
{
    m_transport->previousFrame();
}

void frmmain::mnunextframe_Click()
{
    m_transport->nextFrame();
}

void frmmain::mnugoto_Click()
{
    const Result<CapturePlan> frames = m_transport->frames();
    if (!frames)
        return;
    const QString current = QString::number(m_transport->shownFrame().valueOr(0));
    frmgoto::open(this, m_platform, current, [this, plan = frames.value()](const QString& entry) {
        const Result<std::int32_t> frame = frameOfEntry(plan, entry);
        if (frame)
            m_transport->goToFrame(plan, frame.value());
        return frame.status();
    });
}

// The same snapshot Save Frame As writes, as an image at the picture's full size.
void frmmain::mnucopyframe_Click()
{
    if (!m_state.paused)
        cmdplay1_Click();
    const Result<QImage> image = frameOnShow(m_movie);
    if (!image) {
        showFailure(this,
                    QStringLiteral("The frame was not copied\n\n%1").arg(image.status().text()));
        return;
    }
    QGuiApplication::clipboard()->setImage(image.value());
}

QString frmmain::frameReadout() const
{
    return lblframe->text();
}

void frmmain::setFrameReadout(const QString& text)
{
    lblframe->setText(text);
}

}  // namespace kadrel
