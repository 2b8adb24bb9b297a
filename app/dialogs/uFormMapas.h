// TformMapas: the image map editor: a picture on which rectangles and circles are drawn, dragged and nudged, each with a link and an alternative text, returning the map as HTML.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <functional>
#include <map>
#include <string>

#include "app/model/ImageMap.h"

class QAction;
class QActionGroup;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QStatusBar;
class TMapShape;
class TSpeedButton;
class TToolWindowKt;
class TWindowHost;

class TformMapas : public QDialog {
public:
    // The designed window size; the picture sets the client size as the dialog is made.
    static constexpr int kDesignWidth = 440;
    static constexpr int kDesignHeight = 313;
    // The picture control's size before a picture is loaded.
    static constexpr int kEmptyPictureSide = 250;

    // Owned by the host's window.
    explicit TformMapas(TWindowHost& host);
    ~TformMapas() override;

    // Loads the picture at `picturePath` (nothing for an empty one) and shows the dialog modally (or
    // hands it to the test hook): the map when left through "Aceptar", else the empty text.
    std::string Execute(const std::string& picturePath);

    TImageMap& Map() { return FMap; }
    // The widget that shows an area, or nil.
    QWidget* ShapeOf(int id) const;
    // Whether an area's outline is drawn solid (selected) rather than dotted.
    bool ShapeSolid(int id) const;
    const QImage& Picture() const { return FPicture; }

    QStatusBar* BarraEstado;
    QScrollArea* ScrollBox;
    // The picture control; the areas' shapes are its children, at picture coordinates.
    QWidget* Imagen;
    QMenu* PopupMenu;
    TToolWindowKt* ToolWindowKt1;
    QLineEdit* eImagen;
    TSpeedButton* sbAbrir;
    QLineEdit* eName;
    QLineEdit* eHREF;
    QLineEdit* eALT;
    TSpeedButton* sbPreview;
    QPushButton* bAcepta;
    QPushButton* bCancela;

    void FormCreate();
    void ImageMouseDown(Qt::MouseButton Button, TPoint p);
    void ImageMouseMove(Qt::MouseButtons Buttons, TPoint p);
    void ImageMouseUp(Qt::MouseButton Button, TPoint p);
    // `p` is in the shape's own coordinates.
    void ShapeMouseDown(QObject* Sender, Qt::MouseButton Button, TPoint p);
    void ShapeMouseMove(QObject* Sender, TPoint p);
    void ShapeMouseUp(QObject* Sender);
    void PopupMenuClick(QAction* Sender);
    void KeyClick(QAction* Sender);
    void DrawGhost(QPainter& painter) const;
    void sbAbrirClick();
    void sbPreviewClick();
    void bAceptaClick();
    void bCancelaClick();

    // By the extension: ".jpg", ".gif" and ".bmp" are shown, any other leaves the picture; the areas
    // go with every existing file. False, with nothing changed, for a missing file or a picture that
    // cannot be read.
    bool LoadImage(const std::string& FileName);
    void StoreShapeFields();
    void ShowShapeFields();
    void ClearShapeFields();
    std::string AreaTag(const TMapArea& area) const { return TImageMap::AreaTag(area); }
    std::string BuildMap() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildControls();
    void buildToolWindow();
    void buildPopupMenu();
    // Makes, places, stacks and paints the shapes as the map stands, and drops those of removed areas.
    void syncShapes();
    void sizeToPicture();
    // The tool window beside the dialog, off the picture.
    void placeToolWindow();
    // The tool back to the rectangle and nothing selected.
    void resetTool();
    void showHint(const QString& hint);
    TMapArea* areaOf(QObject* sender);

    TImageMap FMap;
    QImage FPicture;
    std::map<int, QPointer<TMapShape>> FShapes;
    QActionGroup* FTools = nullptr;
    bool FAccepted = false;
    bool FPlaced = false;
    // Where placeToolWindow put the tool window last; elsewhere, the user moved it.
    QPoint FToolPlacedAt;
};

// While set, Execute hands the dialog to the hook instead of running it modally. Returns the hook it
// replaces.
using TMapasDialogHook = std::function<void(TformMapas& dialog)>;
TMapasDialogHook SetMapasDialogHook(TMapasDialogHook hook);
