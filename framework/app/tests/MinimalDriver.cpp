#include "framework/app/tests/MinimalDriver.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "framework/app/DriverContext.h"
#include "framework/core/KorvexError.h"
#include "framework/core/VantaroUtils.h"

namespace korvex::apptest {

namespace {

class MinimalObject final : public com::DeviceObject {
  public:
    // A new object takes the process's current language, as every device object does.
    explicit MinimalObject(DriverContext& ctx) {
        ctx.texts.SetLanguage(ctx.language.CurrentLanguage());
    }
};

bool LinkUp(const DriverContext& ctx) {
    return ctx.link.TKLCommIsUp && ctx.link.TKLCommIsUp() == -1;
}

}  // namespace

const DriverConstants& MinimalConstants() {
    static const DriverConstants constants{
        Deliverable::Wexmoor,
        port::Exp,
        kind::Rotator,
        {kMinimalProgId},
        kMinimalProgId,
        {{"Rotator", kMinimalProgId}},
        "Korvex Minimal Test (EXP port)",
        kMinimalRefusal,
        250,
        FirstWindowRule::A,
        "You need to install the ASCOM platform for this software to run",
        false,
        kLanguageEnglish,
        {ReportBody::PromptOnly, true, kMinimalSource}};
    return constants;
}

const StringTable& MinimalTexts() {
    static const StringTable table{
        {text::Title, "EXP Korvex Minimal Test", "EXP Prueba mínima Korvex"},
        {text::PositionLabel, "Position:", "Posición:"},
        {124, "You need to install the ASCOM platform for this software to run",
         "Necesita instalar la plataforma ASCOM para que este programa funcione"},
        {125, "Please download it from the ASCOM web site and relaunch Korvex",
         "Descárguela del sitio web de ASCOM y vuelva a iniciar Korvex"},
        {126, "Attention!", "¡Atención!"},
        {127, "Sorry you have to be an administrator (and run",
         "Lo siento, tiene que ser administrador (y ejecutar"},
        {128, "this program with admin rights, if using Vista)",
         "este programa con derechos de administrador, si usa Vista)"},
        {129, "Please relaunch it with admin rights",
         "Vuelva a iniciarlo con derechos de administrador"},
        {231, "There are still ", "Todavía hay "},
        {232, " connections active, closing now", " conexiones activas, cerrar ahora"},
        {233, "can result in unpredictable behaviour, please confirm!",
         "puede dar resultados imprevisibles, ¡confírmelo por favor!"},
        {234, "Attention", "Atención"},
    };
    return table;
}

MinimalHandBox::MinimalHandBox(DriverContext& ctx)
    : ctx_(ctx), caption_(new QLabel(this)), position_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmHandBox"));
    position_->setObjectName(QStringLiteral("lblPos"));
    timer_.setObjectName(QStringLiteral("timer"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption_);
    layout->addWidget(position_);
    QObject::connect(&ctx_.language, &LanguageService::LanguageChanged, this,
                     [this] { ApplyTexts(); });
    ApplyTexts();
}

void MinimalHandBox::ApplyTexts() {
    setWindowTitle(ctx_.state.InstancePrefix +
                   ctx_.texts.GetText(text::Title, QStringLiteral("EXP Korvex Minimal Test")));
    caption_->setText(ctx_.texts.GetText(text::PositionLabel, QStringLiteral("Position:")));
}

void MinimalHandBox::ShowPosition(int32_t steps) { position_->setText(QString::number(steps)); }

void MinimalHandBox::showEvent(QShowEvent* event) {
    ++shows_;
    QWidget::showEvent(event);
}

MinimalDriver::MinimalDriver() = default;
MinimalDriver::~MinimalDriver() = default;

QWidget& MinimalDriver::LoadHandBox(DriverContext& ctx) {
    journal << QStringLiteral("LoadHandBox");
    ctx_ = &ctx;
    handBox_ = std::make_unique<MinimalHandBox>(ctx);
    QObject::connect(&handBox_->Timer(), &QTimer::timeout, handBox_.get(), [this] { Tick(); });
    return *handBox_;
}

QTimer& MinimalDriver::HandBoxTimer() { return handBox_->Timer(); }

void MinimalDriver::LoadSettings() {
    journal << QStringLiteral("LoadSettings");
    position_ = StrToLong(ctx_->Read(kMinimalSubkey, QStringLiteral("Position"), {}), 0);
}

void MinimalDriver::ConfigureController() {
    journal << QStringLiteral("ConfigureController");
    // The driver owns the step count: the controller's counter takes it at every connection.
    if (LinkUp(*ctx_)) ctx_->link.StepperSetPos(ctx_->constants.port, position_);
}

std::vector<std::shared_ptr<const com::DeviceClass>> MinimalDriver::DeviceClasses() {
    journal << QStringLiteral("DeviceClasses");
    DriverContext& ctx = *ctx_;
    auto cls = std::make_shared<com::DeviceClass>();
    cls->progId = QString::fromLatin1(kMinimalProgId);
    cls->create = [&ctx] { return std::make_unique<MinimalObject>(ctx); };
    using com::ValueType;
    cls->members
        .Get(QStringLiteral("Connected"), ValueType::Bool,
             [&ctx](com::DeviceObject&, com::Args) { return QVariant(LinkUp(ctx)); })
        .Get(QStringLiteral("Position"), ValueType::Int32,
             [this](com::DeviceObject&, com::Args) -> QVariant {
                 if (!LinkUp(*ctx_)) {
                     throw KorvexError(err::NotConnected, QString::fromLatin1(kMinimalSource),
                                       QStringLiteral("The minimal device is not connected"));
                 }
                 return position_;
             })
        .Get(
            QStringLiteral("Language"), ValueType::Int32,
            [&ctx](com::DeviceObject&, com::Args) { return QVariant(ctx.texts.CurrentLanguage()); })
        .Get(QStringLiteral("Title"), ValueType::String,
             [&ctx](com::DeviceObject&, com::Args) {
                 return QVariant(ctx.texts.GetText(text::Title, QString()));
             })
        .Get(QStringLiteral("StartedByUser"), ValueType::Bool,
             [&ctx](com::DeviceObject&, com::Args) { return QVariant(ctx.state.StartedByUser); })
        .Get(QStringLiteral("ClientCount"), ValueType::Int16,
             [&ctx](com::DeviceObject&, com::Args) { return QVariant(ctx.state.ClientCount); })
        .Call(QStringLiteral("Ping"), {}, ValueType::String,
              [](com::DeviceObject&, com::Args) { return QVariant(QStringLiteral("Pong")); });
    return {cls};
}

void MinimalDriver::LoadSetupDialog() { journal << QStringLiteral("LoadSetupDialog"); }

void MinimalDriver::RefreshDisplay() {
    journal << QStringLiteral("RefreshDisplay");
    if (handBox_) handBox_->ShowPosition(position_);
}

void MinimalDriver::CreateExtraWindows() { journal << QStringLiteral("CreateExtraWindows"); }

void MinimalDriver::AfterStart() { journal << QStringLiteral("AfterStart"); }

void MinimalDriver::HaltIfMoving() { journal << QStringLiteral("HaltIfMoving"); }

void MinimalDriver::UnloadWindows() { journal << QStringLiteral("UnloadWindows"); }

void MinimalDriver::SaveOnShutdown() {
    journal << QStringLiteral("SaveOnShutdown");
    if (onSaveOnShutdown) onSaveOnShutdown();
    ctx_->Save(kMinimalSubkey, QStringLiteral("Position"), QString::number(position_));
}

void MinimalDriver::Tick() {
    ctx_->FollowHubLanguage();
    if (ctx_->owc.CheckComms() == OWCSub::Comms::Down) return;
    int32_t steps = 0;
    if (ctx_->link.StepperGetPos(ctx_->constants.port, &steps) == 0 && steps != position_) {
        position_ = steps;
        if (handBox_) handBox_->ShowPosition(position_);
    }
}

}  // namespace korvex::apptest
