#pragma once
#include "widgets/FormBase.h"

class TFXML : public FormBase {
    Q_OBJECT
public:
    explicit TFXML(Workspace& ws, QWidget* parent = nullptr);
};
