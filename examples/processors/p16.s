PIC16 MOT14 PAGE800 BANQUE80 PILE8
INDF;TMR0;PCL;STATUS;FSR;PORTA;PORTB;EEDATA;EEADR;PCLATH;INTCON;PIR1
TMR1L;TMR1H;T1CON;TMR2;T2CON;CCPR1L;CCPR1H;CCP1CON;RCSTA;TXREG;RCREG;CMCON
OPTION_REG;TRISA;TRISB;PIE1;PCON;PR2;TXSTA;SPBRG;EECON1;EECON2;VRCON

STATUS	C=0;DC=1;Z=2;NOT_PD=3;NOT_TO=4:
    RP0=5;RP1=6;IRP=7
INTCON	RBIF=0;INTF=1;T0IF=2;RBIE=3;INTE=4;T0IE=5;PEIE=6;GIE=7
OPTION_REG	PS0=0;PS1=1;PS2=2;PSA=3;T0SE=4;T0CS=5;INTEDG=6;NOT_RBPU=7
PIR1	TMR1IF=0;TMR2IF=1;CCP1IF=2;TXIF=4;RCIF=5;CMIF=6;EEIF=7
TXSTA	TX9D=0;TRMT=1;BRGH=2;SYNC=4;TXEN=5;TX9=6;CSRC=7
RCSTA	RX9D=0;OERR=1;FERR=2;ADEN=3;CREN=4;SREN=5;RX9=6;SPEN=7

CODE	0000-07FF
DONNEES	0020-007F;00A0-00EF;0120-014F
COMMUNE	0070-007F
EEPROM	2100-217F
CONFIG	2007

BANQUES	4
PAGES	1
PILE	8
MOT	14

RESET	0000
INTERRUPTION	0004
IDLOCS	2000

DESTINATION	W;F
REGISTRES_COMMUNS	INDF;PCL;STATUS;FSR;PCLATH;INTCON:
    TMR0;OPTION_REG
BANQUE1	OPTION_REG;TRISA;TRISB;PIE1;PCON;PR2;TXSTA;SPBRG:
    EECON1;EECON2;VRCON

; Opérations sur les octets (f : registre, d : destination W ou F)
ADDWF	f,d	00 0111 dfff ffff
;Additionne W et f~Octets~Arithmétique!C,DC,Z 1
ANDWF	f,d	00 0101 dfff ffff
;ET logique entre W et f~Octets~Logique!Z 1
CLRF	f	00 0001 1fff ffff
;Met f à zéro~Octets~Transferts!Z 1
CLRW		00 0001 0xxx xxxx
;Met W à zéro~Octets~Transferts!Z 1
COMF	f,d	00 1001 dfff ffff
;Complémente f~Octets~Logique!Z 1
DECF	f,d	00 0011 dfff ffff
;Décrémente f~Octets~Arithmétique!Z 1
DECFSZ	f,d	00 1011 dfff ffff
;Décrémente f, saute si zéro~Octets~Arithmétique~Sauts!- 1(2)
INCF	f,d	00 1010 dfff ffff
;Incrémente f~Octets~Arithmétique!Z 1
INCFSZ	f,d	00 1111 dfff ffff
;Incrémente f, saute si zéro~Octets~Arithmétique~Sauts!- 1(2)
IORWF	f,d	00 0100 dfff ffff
;OU inclusif entre W et f~Octets~Logique!Z 1
MOVF	f,d	00 1000 dfff ffff
;Copie f (dans W ou dans f)~Octets~Transferts!Z 1
MOVWF	f	00 0000 1fff ffff
;Copie W dans f~Octets~Transferts!- 1
NOP		00 0000 0xx0 0000
;Aucune opération~Octets!- 1
RLF	f,d	00 1101 dfff ffff
;Rotation de f à gauche à travers C~Octets~Logique!C 1
RRF	f,d	00 1100 dfff ffff
;Rotation de f à droite à travers C~Octets~Logique!C 1
SUBWF	f,d	00 0010 dfff ffff
;Soustrait W de f~Octets~Arithmétique!C,DC,Z 1
SWAPF	f,d	00 1110 dfff ffff
;Échange les quartets de f~Octets~Transferts!- 1
XORWF	f,d	00 0110 dfff ffff
;OU exclusif entre W et f~Octets~Logique!Z 1
; Opérations sur les bits (b : numéro du bit, 0 à 7)
BCF	f,b	01 00bb bfff ffff
;Met à 0 le bit b de f~Bits!- 1
BSF	f,b	01 01bb bfff ffff
;Met à 1 le bit b de f~Bits!- 1
BTFSC	f,b	01 10bb bfff ffff
;Teste le bit b de f, saute s'il vaut 0~Bits~Sauts!- 1(2)
BTFSS	f,b	01 11bb bfff ffff
;Teste le bit b de f, saute s'il vaut 1~Bits~Sauts!- 1(2)
; Littéraux et contrôle (k : constante ou adresse)
ADDLW	k	11 111x kkkk kkkk
;Additionne k à W~Littéraux et contrôle~Arithmétique!C,DC,Z 1
ANDLW	k	11 1001 kkkk kkkk
;ET logique entre k et W~Littéraux et contrôle~Logique!Z 1
CALL	k	10 0kkk kkkk kkkk
;Appelle le sous-programme d'adresse k~Littéraux et contrôle~Sauts!- 2
CLRWDT		00 0000 0110 0100
;Remet à zéro le chien de garde~Littéraux et contrôle!NOT_TO,NOT_PD 1
GOTO	k	10 1kkk kkkk kkkk
;Saute à l'adresse k~Littéraux et contrôle~Sauts!- 2
IORLW	k	11 1000 kkkk kkkk
;OU inclusif entre k et W~Littéraux et contrôle~Logique!Z 1
MOVLW	k	11 00xx kkkk kkkk
;Charge k dans W~Littéraux et contrôle~Transferts!- 1
RETFIE		00 0000 0000 1001
;Retour d'interruption (remet GIE à 1)~Littéraux et contrôle~Sauts!- 2
RETLW	k	11 01xx kkkk kkkk
;Retour de sous-programme avec k dans W~Littéraux et contrôle~Sauts~Transferts!- 2
RETURN		00 0000 0000 1000
;Retour de sous-programme~Littéraux et contrôle~Sauts!- 2
SLEEP		00 0000 0110 0011
;Passe en veille~Littéraux et contrôle!NOT_TO,NOT_PD 1
SUBLW	k	11 110x kkkk kkkk
;Soustrait W de k~Littéraux et contrôle~Arithmétique!C,DC,Z 1
XORLW	k	11 1010 kkkk kkkk
;OU exclusif entre k et W~Littéraux et contrôle~Logique!Z 1
