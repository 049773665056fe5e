#include "plot/PlotExport.h"

#include "plot/PagePrinter.h"
#include "plot/PlotRenderer.h"
#include "plot/QtText.h"
#include "results/Listings.h"
#include "results/PlotGeometry.h"
#include "results/PrintLayout.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tavu::plot {

namespace {

QtMessageHandler previousHandler = nullptr;

// A batch run has no session: the note that the runtime folder is missing says nothing
// to its user, every other message of Qt still goes to stderr.
void BatchMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

struct BatchGui::Impl
{
    int argc = 1;
    char name[16] = "tavu-solve";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QGuiApplication> app;
};

BatchGui::BatchGui() : impl_(std::make_unique<Impl>())
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(BatchMessages);
    impl_->app = std::make_unique<QGuiApplication>(impl_->argc, impl_->argv);
}

BatchGui::~BatchGui()
{
    if (impl_->app) {
        impl_->app.reset();
        qInstallMessageHandler(previousHandler);
    }
}

namespace {

std::string Extension(const std::string& path)
{
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

bool WriteBytes(const std::string& path, const QByteArray& bytes, std::string& error)
{
    QSaveFile file(FromBytes(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = ToBytes(file.errorString());
        return false;
    }
    return true;
}

} // namespace

bool IsPlotFileName(const std::string& path)
{
    const std::string ext = Extension(path);
    return ext == "png" || ext == "svg";
}

bool IsPdfFileName(const std::string& path)
{
    return Extension(path) == "pdf";
}

bool IsPictureFileName(const std::string& path)
{
    return IsPlotFileName(path) || IsPdfFileName(path);
}

bool SavePlotPicture(const PlotModel& model, const PlotOptions& options, const WorldWindow& window,
                     int width, int height, const std::string& path, std::string& error)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    PlotOptions sized = options;
    sized.symbolSize = SymbolSizeFor(window, width);
    const PlotPicture picture = DrawPlot(model, sized);
    const std::string ext = Extension(path);
    if (ext == "svg") {
        const std::string svg = PlotSvg(picture, window, width, height);
        return WriteBytes(path, QByteArray(svg.data(), static_cast<qsizetype>(svg.size())), error);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (ext == "pdf") {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("TAVU"));
        writer.setResolution(96);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&writer)) {
            error = "the PDF writer could not start";
            return false;
        }
        // The surface's picture, scaled to the page's width or height.
        const double k = std::min(writer.width() / double(width), writer.height() / double(height));
        painter.scale(k, k);
        painter.setRenderHint(QPainter::Antialiasing);
        PaintPlot(painter, QRectF(0, 0, width, height), picture, window);
        painter.end();
    } else {
        QImageWriter writer(&buffer, "png");
        if (!writer.write(RenderPlotImage(picture, window, QSize(width, height)))) {
            error = ToBytes(writer.errorString());
            return false;
        }
    }
    buffer.close();
    return WriteBytes(path, bytes, error);
}

bool WritePlotFile(const Analysis& a, const std::string& path, const std::string& view,
                   std::string& error)
{
    const PlotModel model = BuildPlotModel(a);
    PlotOptions options;
    if (!view.empty())
        ViewFromWord(view, options.view);
    const WorldWindow window = WorldWindowFor(model, PlotImageSize, PlotImageSize, 96, 96);
    return SavePlotPicture(model, options, window, PlotImageSize, PlotImageSize, path, error);
}

bool WriteListingsPdf(const Analysis& a, const std::string& modelFileName, const std::string& path,
                      std::string& error)
{
    // The pages are painted into memory first, so a failure leaves no half-written file.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("tavu-solve"));
        writer.setTitle(FromBytes(modelFileName));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter));
        const QFont font = PrintFont();
        const int L = LinesPerPage(writer, font);
        QPainter painter;
        if (!painter.begin(&writer)) {
            error = "the PDF writer could not start";
            return false;
        }
        bool hasPage = false;
        for (int kind = DeflectionsKind; kind <= QuadStressesKind; ++kind) {
            const PrintJob job = LayoutResults(a, kind, false, modelFileName, L);
            if (!PaintPages(painter, writer, job, font, hasPage)) {
                error = "a new page could not be started";
                return false;
            }
        }
        painter.end();
    }
    return WriteBytes(path, bytes, error);
}

} // namespace tavu::plot
