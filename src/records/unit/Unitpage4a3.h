#pragma once
#include "records/unit/UnitMemoEditor.h"

// The editor of the unit's unitintrod memo ("单位简介").
class Tformunitintrod : public UnitMemoEditor
{
    Q_OBJECT
public:
    explicit Tformunitintrod(QWidget *parent = nullptr);
};
