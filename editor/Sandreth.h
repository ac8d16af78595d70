// The editor's program block: the application's title and its three windows,
// made in order (main window, unit dialog, building dialog).
#pragma once

class TApplication;

// Sets the title "Brask Mapmaker" and creates Form1, Form2 and Form3.
void CreateSandrethForms(TApplication& App);
