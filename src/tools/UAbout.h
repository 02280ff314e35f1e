#pragma once
#include "widgets/FormBase.h"

class TFAbout : public FormBase {
    Q_OBJECT
public:
    explicit TFAbout(Workspace& ws, QWidget* parent = nullptr);
};
