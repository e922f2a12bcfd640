#include "settings/option_window.h"

#include "settings/option_binder.h"
#include "settings/option_pages.h"
#include "settings/settings_model.h"

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace sondrel::settings {
namespace {

// Tree node 4, "Encoding", only groups the format pages; every other node n
// shows page n, or n - 1 after it.
constexpr int kEncodingNode = 4;

int pageOfNode(int node) { return node > kEncodingNode ? node - 1 : node; }

QTreeWidgetItem* node(const char* caption, int index) {
  auto* item = new QTreeWidgetItem(QStringList{QString::fromUtf8(caption)});
  item->setData(0, Qt::UserRole, index);
  return item;
}

}  // namespace

Tfrmoption::Tfrmoption(SettingsModel& model, SettingsHost& host, QWidget* parent)
    : QDialog(parent), model_(model), binder_(new OptionBinder(model, this)) {
  model_.setHost(&host);
  setObjectName(QStringLiteral("frmoption"));
  setWindowTitle(QStringLiteral("Options"));

  treeopt_ = new QTreeWidget;
  treeopt_->setObjectName(QStringLiteral("treeopt"));
  treeopt_->setHeaderHidden(true);
  treeopt_->setColumnCount(1);
  treeopt_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  int index = 0;
  for (int page = 0; page < kEncodingNode; ++page)
    treeopt_->addTopLevelItem(node(kOptionPages[static_cast<std::size_t>(page)].treeText, index++));
  QTreeWidgetItem* encoding = node("Encoding", index++);
  treeopt_->addTopLevelItem(encoding);
  for (int page = kWavPage; page < kPageCount; ++page)
    encoding->addChild(node(kOptionPages[static_cast<std::size_t>(page)].treeText, index++));
  treeopt_->expandAll();
  // Nodes never collapse: the format pages stay in reach.
  treeopt_->setItemsExpandable(false);
  treeopt_->setRootIsDecorated(false);
  connect(treeopt_, &QTreeWidget::itemCollapsed, treeopt_, [this](QTreeWidgetItem* item) { treeopt_->expandItem(item); });
  connect(treeopt_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { treeoptChange(current); });
  int widest = 0;
  for (const OptionPage& page : kOptionPages)
    widest = std::max(widest, treeopt_->fontMetrics().horizontalAdvance(QString::fromUtf8(page.treeText)));
  treeopt_->setFixedWidth(widest + 2 * treeopt_->indentation() + 24);

  pages_ = new QStackedWidget;
  pages_->setObjectName(QStringLiteral("sPageControl1"));
  for (int page = 0; page < kPageCount; ++page) pages_->addWidget(buildOptionPage(page, *binder_, model_, this));

  auto* defaults = new QPushButton(QStringLiteral("&Default"));
  defaults->setObjectName(QStringLiteral("sButton1"));
  auto* apply = new QPushButton(QStringLiteral("&Apply"));
  apply->setObjectName(QStringLiteral("Btnok"));
  auto* ok = new QPushButton(QStringLiteral("&Ok"));
  ok->setObjectName(QStringLiteral("sButton2"));
  connect(defaults, &QPushButton::clicked, this, &Tfrmoption::sButton1Click);
  connect(apply, &QPushButton::clicked, this, &Tfrmoption::BtnokClick);
  connect(ok, &QPushButton::clicked, this, &Tfrmoption::sButton2Click);

  auto* product = new QLabel(QStringLiteral("Sondrel"));
  QFont font = product->font();
  font.setBold(true);
  font.setItalic(true);
  font.setPointSizeF(font.pointSizeF() * 1.5);
  product->setFont(font);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(product);
  buttons->addStretch();
  buttons->addWidget(defaults);
  buttons->addWidget(apply);
  buttons->addWidget(ok);

  auto* body = new QHBoxLayout;
  body->addWidget(treeopt_);
  body->addWidget(pages_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addLayout(buttons);

  connect(binder_, &OptionBinder::edited, binder_, &OptionBinder::refresh);
  // A fixed dialog of at least 532 x 312, grown to what the desktop's fonts need.
  setFixedSize(sizeHint().expandedTo(QSize(532, 312)));
}

int Tfrmoption::activePage() const { return pages_->currentIndex(); }

void Tfrmoption::showEvent(QShowEvent* event) {
  // Settings may have been loaded or changed since the window was made.
  binder_->refresh();
  treeopt_->setCurrentItem(treeopt_->topLevelItem(0));
  pages_->setCurrentIndex(0);
  treeopt_->scrollToTop();
  QDialog::showEvent(event);
}

void Tfrmoption::treeoptChange(QTreeWidgetItem* current) {
  if (!current) return;
  const int index = current->data(0, Qt::UserRole).toInt();
  if (index == kEncodingNode) return;
  pages_->setCurrentIndex(pageOfNode(index));
}

void Tfrmoption::sButton1Click() {
  model_.restorePageDefaults(activePage());
  binder_->refresh();
}

void Tfrmoption::BtnokClick() {
  const SaveResult result = model_.save();
  if (!result.ok) {
    // The settings stay in force; the window stays open so the user can try
    // again or close it with "&Ok".
    QMessageBox::critical(this, QStringLiteral("Error"), QString::fromStdString(result.message));
    return;
  }
  accept();
}

void Tfrmoption::sButton2Click() { accept(); }

}  // namespace sondrel::settings
