#include "optiongroups.h"

#include <QButtonGroup>
#include <QRadioButton>

#include <algorithm>

namespace glyphmill {

namespace {

void placeTabStop(const QButtonGroup& group) {
    const QList<QAbstractButton*> buttons = group.buttons();
    const bool anySelected = std::any_of(buttons.cbegin(), buttons.cend(),
                                         [](const QAbstractButton* b) { return b->isChecked(); });
    for (QAbstractButton* button : buttons) {
        // A group with nothing selected stays reachable through each of its buttons.
        const bool stop = button->isChecked() || !anySelected;
        const int policy = button->focusPolicy();
        button->setFocusPolicy(
            Qt::FocusPolicy(stop ? policy | Qt::TabFocus : policy & ~Qt::TabFocus));
    }
}

} // namespace

void groupOptionButtons(QWidget& window) {
    QList<QWidget*> containers;
    const QList<QRadioButton*> buttons = window.findChildren<QRadioButton*>();
    for (QRadioButton* button : buttons) {
        // A child window (a dialog owned by this one) groups its own buttons.
        if (button->window() == &window && button->autoExclusive() && !button->group() &&
            !containers.contains(button->parentWidget()))
            containers.append(button->parentWidget());
    }
    for (QWidget* container : containers) {
        auto* group = new QButtonGroup(container);
        const auto members = container->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
        for (QRadioButton* member : members) {
            if (member->autoExclusive())
                group->addButton(member);
        }
        QObject::connect(group, &QButtonGroup::buttonToggled, group,
                         [group] { placeTabStop(*group); });
        placeTabStop(*group);
    }
}

} // namespace glyphmill
