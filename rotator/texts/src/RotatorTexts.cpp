#include "korvex/rotator/RotatorTexts.h"

namespace korvex::rotator {

const StringTable& RotatorStringTable() {
    // clang-format off
    static const StringTable table{
        // Configuration dialog: "Enable modifications" question.
        {98, "This will enable you to FREELY change these parameters.",
             "Esto le permitirá cambiar LIBREMENTE estos parámetros."},
        {99, "Please check the tool tips passing the mouse over all fields.",
             "Por favor, lea las ayudas pasando el ratón sobre todos los campos."},
        {100, "There is REAL RISK of damaging the motor if not properly set!",
              "¡Hay RIESGO REAL de dañar el motor si no se ajustan correctamente!"},
        {101, "Are you sure you want to proceed?", "¿Seguro que desea continuar?"},
        {102, "Please read carefully", "Por favor, lea con atención"},
        {114, "Are you sure?", "¿Está seguro?"},

        // Start-up failures.
        {124, "You need to install the ASCOM platform for this software to run",
              "Necesita instalar la plataforma ASCOM"},
        {125, "Please download it from the ASCOM web site and relaunch Korvex",
              "Por favor, descárguela del sitio web de ASCOM y vuelva a iniciar Korvex"},
        {126, "Attention!", "¡Atención!"},
        {127, "Sorry you have to be an administrator (and run",
              "Lo siento, debe ser administrador (y ejecutar"},
        {128, "this program with admin rights, if using Vista)",
              "este programa con derechos de administrador, si usa Vista)"},
        {129, "Please relaunch it with admin rights",
              "Por favor, vuelva a iniciarlo con derechos de administrador"},

        // Call spy toggle.
        {136, "Enable", "Activar"},
        {137, "Disable", "Desactivar"},

        // Hand box and configuration dialog.
        {145, "GoTo:", "Ir a:"},
        {149, "About...", "Acerca de..."},
        {150, "Configuration", "Configuración"},
        {160, "Advanced parameters - do not change unless sure!",
              "Parámetros avanzados - ¡no cambiar sin estar seguro!"},
        {161, "Please don't touch these unless you are sure of what you are doing",
              "Por favor, no los toque a menos que sepa lo que está haciendo"},
        {162, "Vantaro - inverted", "Vantaro - invertido"},
        {163, "RF/Moonlite - inverted", "RF/Moonlite - invertido"},
        {164, "Motor mode RF/Moonlite", "Modo motor RF/Moonlite"},
        {165, "Motor mode Vantaro", "Modo motor Vantaro"},
        {166, "Enable modifications to these parameters", "Permitir modificar estos parámetros"},
        {167, "time (us) between steps at max speed. Should be smaller than \"Min:\". "
              "3000 to 1000 are usually good values.",
              "tiempo (us) entre pasos a velocidad máxima. Debe ser menor que \"Mín:\". "
              "Entre 3000 y 1000 suelen ser buenos valores."},
        {168, "... power for the stopped motor. 0 for most cases. CARE if high value motor can get "
              "really hot!",
              "... potencia con el motor parado. 0 en la mayoría de los casos. "
              "¡CUIDADO: con un valor alto el motor puede calentarse mucho!"},
        {169, "How much power of the supply will go to the motor while moving",
              "Cuánta potencia de la fuente irá al motor mientras se mueve"},
        {170, "HalfStep mode", "Modo medio paso"},
        {171, "Takes two pulses to move one step. Smoother. Don't select unless at position 0º!",
              "Usa dos pulsos para mover un paso. Más suave. "
              "¡No lo marque salvo en la posición 0º!"},
        {172, "Motor type:", "Tipo motor:"},
        {173, "Min:", "Mín:"},
        {174, "... while stopped", "... en reposo"},
        {175, "% Power", "% Potencia"},
        {176, "... while moving", "... en marcha"},
        {177, "Motion related parameters", "Parámetros de movimiento"},
        {178, "One dir backlash, apply on:", "Holgura en un sentido, aplicar en:"},
        {186, "Speed, acceleration:", "Velocidad, aceleración:"},
        {188, "&OK", "&Aceptar"},
        {189, "&Cancel", "&Cancelar"},
        {190, "Main window always shown", "Ventana principal siempre visible"},
        {191, "Click to have the windows always visible",
              "Pulse para tener las ventanas siempre visibles"},

        // Call spy window.
        {193, "ASCOM call spy", "Espía de llamadas ASCOM"},
        {194, "Erase", "Borrar"},

        // About box.
        {199, "About Korvex Camera Rotator ", "Acerca del rotador de cámara Korvex "},
        {200, "ASCOM traffic", "Tráfico ASCOM"},
        {201, "OK", "Aceptar"},
        {202, "System &Information", "&Información del sistema"},
        {203, "Vantaro - controllers and drivers for astronomy",
              "Vantaro - controladores y drivers para astronomía"},
        {204, "Korvex - camera rotator", "Korvex - rotador de cámara"},

        // Hand box.
        {206, "STOP!", "¡PARAR!"},
        {207, "Less <<", "Menos <<"},
        {208, "CCW - Cont", "Antih. - Cont"},
        {209, "Cont - CW", "Cont - Hor."},
        {210, "º", "º"},
        {211, "Step (0)", "Paso (0)"},
        {212, "0º", "0º"},
        {213, "Set horizontal", "Fijar horizontal"},
        {215, "Steps / degree:", "Pasos / grado:"},
        {216, "Disable", "Desactivar"},
        {217, "More >>", "Más >>"},
        {218, "Step (", "Paso ("},
        {219, "Are you sure the camera is now in horizontal position?",
              "¿Seguro que la cámara está ahora en posición horizontal?"},
        {220, "The no-cross point will be also reset to 180º",
              "El punto de no cruce también volverá a 180º"},
        {221, "No undo or cancel possible", "No se podrá deshacer ni cancelar"},
        {222, "Question", "Pregunta"},
        {223, "Set new pos to:", "Nueva posición:"},
        {224, "Activates the specified position.", "Activa la posición indicada."},
        {225, "This will set the current position as ", "Esto fijará la posición actual en "},
        {226, "No undo possible!", "¡No se podrá deshacer!"},
        {227, "Invalid position ", "Posición errónea "},
        {228, "Should be between 0 and 359º", "Debe estar entre 0 y 359º"},
        {229, "MAIN Korvex Rotator", "MAIN Rotador Korvex"},
        {230, "EXP Korvex Rotator", "EXP Rotador Korvex"},
        {231, "There are still ", "Hay todavía "},
        {232, " connections active, closing now", " conexiones activas, cerrar ahora"},
        {233, "can result in unpredictable behaviour, please confirm!",
              "puede provocar un comportamiento imprevisible, ¡confirme por favor!"},
        {234, "Attention", "Atención"},
        {235, "THIRD Korvex Rotator", "THIRD Rotador Korvex"},

        // Configuration dialog.
        {236, "Forbidden zone", "Zona prohibida"},
        {237, "Check", "Comprobar"},
        {238, "From:", "De:"},
        {239, "To:", "A:"},
        {240, "uSecs between steps", "uSeg entre pasos"},
        {241, "Max:", "Máx:"},
        {242, "Red: forbidden", "Rojo: prohibido"},
        {243, "White: allowed", "Blanco: permitido"},
        {244, "Rotation zone definition and limits", "Definición y límites de la zona de giro"},
        {245, "Pier flip", "Volteo"},
        {246, "Specify the model of your motor", "Indique el modelo de su motor"},
        {247, "Select depending on the wiring of your motor.",
              "Elija según el cableado de su motor."},
        {248, "Unblocks the advanced parameters.", "Desbloquea los parámetros avanzados."},
        {249, "Specify min and max speeds. Both can be the same, or else Max value should be lower "
              "than Min.",
              "Indique las velocidades mínima y máxima. Pueden ser iguales; si no, "
              "el valor Máx debe ser menor que el Mín."},
        {250, "Defines a zone (from and to can be the same) where the rotator should never be, to "
              "avoid colisions",
              "Define una zona (desde y hasta pueden ser iguales) donde el rotador "
              "nunca debe estar, para evitar colisiones"},
        {251, "Test current zone, updates the graphic",
              "Prueba la zona actual y actualiza el gráfico"},
        {252, "Maximum angle where the rotator should never go",
              "Ángulo máximo al que el rotador nunca debe ir"},
        {253, "Minimum angle where the rotator should never go",
              "Ángulo mínimo al que el rotador nunca debe ir"},
        {254, "Resets current position - look at the telescope to avoid cable mangling!",
              "Redefine la posición actual - ¡mire el telescopio para no enredar los cables!"},
        {255, "Sets current position as 0º, and resets the forbidden zone",
              "Fija la posición actual como 0º y restablece la zona prohibida"},
        {256, "Specifies the number of steps needed to rotate 1º. Disabled if not at 0º!",
              "Número de pasos necesarios para girar 1º. ¡Desactivado si no está en 0º!"},
        {257, "time (us) between steps. Specify a high value to allow effective acceleration.",
              "tiempo (us) entre pasos. Indique un valor alto para permitir una "
              "aceleración efectiva."},
        {258, "Blue: actual", "Azul: actual"},

        // Forbidden-position warning of the display refresh.
        {259, "Somehow you have managed to set the rotator to a forbidden position.",
              "De algún modo el rotador ha quedado en una posición prohibida."},
        {260, "Please go to configuration and fix this, or the rotator will escape",
              "Por favor, vaya a la configuración y corríjalo, o el rotador escapará"},
        {261, "to an allowed position at first chance", "a una posición permitida en cuanto pueda"},
        {262, "Invalid position", "Posición errónea"},

        // Configuration dialog, backlash.
        {263, "steps", "pasos"},
        {264, "Backlash:", "Holgura:"},
        {265, "Increment", "Incremento"},
        {266, "Decrement", "Decremento"},
        {267, "One dir only", "Un sentido"},
        {268, "Applies backlash correction so the final motion is always the same (positive or "
              "negative)",
              "Aplica la corrección de holgura para que el movimiento final sea siempre el mismo "
              "(positivo o negativo)"},
        {269, "Two direction", "Dos sentidos"},
        {270, "Applies backlash correction in each change of direction",
              "Aplica la corrección de holgura en cada cambio de dirección"},

        // The rotator's own messages.
        {txt::GotoRange, "Please keep the angle within the range of 0 to 360 degrees.",
                         "Por favor, mantenga el ángulo entre 0 y 360 grados."},
        {txt::StepsPerDegreeBad,
         "Steps / degree must be a number greater than 0. The settings were not applied.",
         "Pasos / grado debe ser un número mayor que 0. No se ha aplicado la configuración."},
        {txt::StepsPerDegreeTitle, "Invalid steps / degree", "Pasos / grado erróneo"},
    };
    // clang-format on
    return table;
}

}  // namespace korvex::rotator
