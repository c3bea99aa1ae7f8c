#pragma once

#include <QColor>
#include <QList>
#include <QRect>
#include <QWidget>

// The reflector progress panel over the chart: a white panel with one
// circle per reflector, painted from the geometry and colours it is given.
class TReflectorIndicatorPanel : public QWidget
{
    Q_OBJECT

public:
    struct TCircle
    {
        QRect rect; // within the panel
        QColor fill;
    };

    explicit TReflectorIndicatorPanel(QWidget *AParent = nullptr);

    void SetCircles(const QList<TCircle> &ACircles);
    const QList<TCircle> &Circles() const { return FCircles; }

protected:
    void paintEvent(QPaintEvent *AEvent) override;

private:
    QList<TCircle> FCircles;
};
