p16
;**************************************************************************
;** D‚mo KEP : PIC16F628A, LED clignotante et message sur la liaison s‚rie**
;**************************************************************************
; La LED de RB0 change d'‚tat toutes les demi-secondes ; … chaque passage
; le programme envoie "Bonjour KEP !" … 9600 bauds sur RB2 (TX).
; Variante avec une faute de frappe : F2 construit, F6 mŠne … l'erreur.

        list    p=16f628a
        #include "demo.inc"

        __CONFIG _INTOSC_OSC_NOCLKOUT & _WDT_OFF & _PWRTE_ON & _MCLRE_ON & _BOREN_ON & _LVP_OFF & _CPD_OFF & _CP_OFF

        extern  InitSerie, EnvoieOctet, EnvoieMessage
        extern  Attente_ms

        udata_shr
passages        res     1               ; nombre de tours de la boucle

;** Vecteur de reset ******************************************************
RESET_VECTEUR   code    0x000
        goto    Debut

;** Programme principal ***************************************************
PRINCIPAL       code
Debut:
        banksel CMCON
        movlw   0x07
        movwf   CMCON                   ; comparateurs coup‚s : PORTA num‚rique
        banksel TRISB
        movlw   b'11111110'             ; RB0 en sortie, RB1/RB2 pour l'USART
        movwf   TRISB
        LED_ETEINT
        call    InitSerie
        clrf    passages

Boucle:
        LED_BASCULE
        ifdef   DEBUG
        movf    passages, w             ; trace : '0' + num‚ro du passage
        andlw   0x07
        addlw   '0'
        call    EnvoieOctet
        endif
        call    EnvoieMesage
        ATTENTE d'250'
        ATTENTE d'250'
        incf    passages, f
        goto    Boucle

        end
