#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tagwright::test {

/// The dialog up now: the modal one, else a shown top-level dialog (the folder question is not
/// modal); with an `objectName`, only one of that name. nullptr when there is none.
QWidget* ShownDialog(const QString& objectName = {});

/// Runs `answer` on the next modal dialog or message box that opens, once it is up; with an
/// `objectName`, on the next one of that name.
void WhenModalOpens(std::function<void(QWidget*)> answer, const QString& objectName = {});

/// Texts a control shows: a label's, a button's, a line edit's or a frame's caption.
QString ShownText(const QWidget* widget);

/// Every problem of layout among the visible leaf controls under `root`: a caption wider or
/// higher than its control, or two sibling controls that overlap. Empty when all is well.
QStringList LayoutProblems(QWidget* root);

}  // namespace tagwright::test
