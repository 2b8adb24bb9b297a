// AppUtils: the default store section of a component, and a form's window placement written to and read
// from a store (the store access itself and the stored texts live in components/core/AppUtils).
#pragma once

#include <QObject>
#include <string>

#include "components/core/AppUtils.h"

class QWidget;

// "" for none; a form's class name; a control's form class name followed by its name with no separator
// (without a form, its parent's name followed by its name); another component owned by a form
// "FormClass.Name"; otherwise its name.
std::string GetDefaultSection(const QObject* component);
// The names of the running program's file.
std::string GetDefaultIniName();
std::string GetDefaultIniRegKey();

// The primary screen's size and pixels per inch.
TPlacementScreen CurrentPlacementScreen();
std::string GetScreenResolutionSuffix();

// The form's placement: its normal rectangle, its state as a show command (1 normal, 2 minimised,
// 3 maximised), and the minimised and maximised points it keeps for the store.
TWindowPlacement GetFormPlacement(const QWidget* form);
// Whether the form's size is the user's to change (a fixed-size form keeps its size on restore).
bool IsSizeableForm(const QWidget* form);
// The application's main form, as the program sets it; nullptr until it does.
void SetMainForm(QWidget* form);
QWidget* MainForm();

void WriteFormPlacement(QWidget* form, const TIniObject& ini, const std::string& section);
void WriteFormPlacementReg(QWidget* form, const TIniObject& ini, const std::string& section);
// Position and size with loadPosition (a rectangle off every screen comes onto the primary one), state
// with loadState; nothing when both are off.
void ReadFormPlacement(QWidget* form, const TIniObject& ini, const std::string& section, bool loadState,
                       bool loadPosition);
void ReadFormPlacementReg(QWidget* form, const TIniObject& ini, const std::string& section, bool loadState,
                          bool loadPosition);
